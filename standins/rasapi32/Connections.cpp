#include "Connections.h"

#include <mutex>
#include <vector>

namespace {

struct Connection {
    HRASCONN handle;
    Connections::State state;
    DWORD error;
    long pollsLeft;
};

std::mutex lock;
std::vector<Connection> table;
UINT_PTR nextHandle = 0x10000;

Connection* Find(HRASCONN handle) {
    for (Connection& c : table)
        if (c.handle == handle)
            return &c;
    return nullptr;
}

} // namespace

HRASCONN Connections::Open(bool connected, DWORD error) {
    std::lock_guard<std::mutex> hold(lock);
    nextHandle += 4;
    HRASCONN handle = reinterpret_cast<HRASCONN>(nextHandle);
    table.push_back(Connection{handle, connected ? State::Connected : State::Failed, error, 0});
    return handle;
}

Connections::State Connections::Query(HRASCONN handle, DWORD* error) {
    std::lock_guard<std::mutex> hold(lock);
    Connection* c = Find(handle);
    if (!c)
        return State::Gone;
    *error = c->error;
    if (c->state != State::Closing || c->pollsLeft < 0)
        return c->state;
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

Connections::State Connections::StateOf(HRASCONN handle) {
    std::lock_guard<std::mutex> hold(lock);
    Connection* c = Find(handle);
    return c ? c->state : State::Gone;
}

bool Connections::Close(HRASCONN handle, long pollsLeft) {
    std::lock_guard<std::mutex> hold(lock);
    Connection* c = Find(handle);
    if (!c)
        return false;
    if (c->state != State::Closing) {
        c->state = State::Closing;
        c->pollsLeft = pollsLeft;
    }
    return true;
}
