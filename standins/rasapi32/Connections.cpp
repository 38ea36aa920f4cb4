#include "Connections.h"

#include "LiveConnections.h"

#include <mutex>
#include <vector>

namespace {

struct Connection {
    HRASCONN handle;
    Connections::State state;
    DWORD error;
    long pollsLeft;
    DWORD dropSerial;
};

std::mutex lock;
std::vector<Connection> table;
UINT_PTR nextHandle = 0x10000;

Connection* Find(HRASCONN handle) {
    for (Connection& c : table)
        if (c.handle == handle) return &c;
    return nullptr;
}

// Looks the connection up as any call does, so that whichever call comes
// first after the gateway dropped the link is the one that finds it down.
Connection* Look(HRASCONN handle, const Connections::Drop& drop, bool* dropped) {
    *dropped = false;
    Connection* c = Find(handle);
    if (c && c->state == Connections::State::Connected && drop.serial > c->dropSerial) {
        c->state = Connections::State::Failed;
        c->error = drop.error;
        *dropped = true;
        LiveConnections::Withdraw(handle);
    }
    return c;
}

} // namespace

HRASCONN Connections::Open(bool connected, DWORD error, DWORD dropSerial) {
    std::lock_guard<std::mutex> hold(lock);
    nextHandle += 4;
    HRASCONN handle = reinterpret_cast<HRASCONN>(nextHandle);
    table.push_back(Connection{handle, connected ? State::Connected : State::Failed, error, 0, dropSerial});
    return handle;
}

Connections::State Connections::Query(HRASCONN handle, const Drop& drop, DWORD* error, bool* dropped) {
    std::lock_guard<std::mutex> hold(lock);
    Connection* c = Look(handle, drop, dropped);
    if (!c) return State::Gone;
    *error = c->error;
    if (c->state != State::Closing || c->pollsLeft < 0) return c->state;
    if (c->pollsLeft > 0) {
        --c->pollsLeft;
        return State::Closing;
    }
    for (auto it = table.begin(); it != table.end(); ++it) {
        if (it->handle == handle) {
            table.erase(it);
            break;
        }
    }
    return State::Gone;
}

Connections::State Connections::StateOf(HRASCONN handle, const Drop& drop, bool* dropped) {
    std::lock_guard<std::mutex> hold(lock);
    Connection* c = Look(handle, drop, dropped);
    return c ? c->state : State::Gone;
}

bool Connections::Close(HRASCONN handle, long pollsLeft, const Drop& drop, bool* dropped) {
    std::lock_guard<std::mutex> hold(lock);
    Connection* c = Look(handle, drop, dropped);
    if (!c) return false;
    if (c->state != State::Closing) {
        LiveConnections::Withdraw(handle);
        c->state = State::Closing;
        c->pollsLeft = pollsLeft;
    }
    return true;
}
