#include "LiveConnections.h"

#include <cstring>

namespace {

const char kTableName[] = "Global\\QuillmarshRasStandinConnections";
const char kLockName[] = "Global\\QuillmarshRasStandinConnectionsLock";
const DWORD kSlots = 16;
// Listed handles lie apart from any process's own.
const UINT_PTR kListedBase = 0x7F000000;

struct Slot {
    DWORD inUse;
    DWORD processId;
    UINT_PTR localHandle;
    char entryName[RAS_MaxEntryName + 1];
    char client[RAS_MaxIpAddress + 1];
    char server[RAS_MaxIpAddress + 1];
};

// Opens the table and holds its lock for the life of the object; both are
// made open to everyone, as the service and the user's programs share them.
class Table {
public:
    Table() : m_lock(nullptr), m_mapping(nullptr), m_slots(nullptr) {
        SECURITY_DESCRIPTOR descriptor;
        InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
        SetSecurityDescriptorDacl(&descriptor, TRUE, nullptr, FALSE);
        SECURITY_ATTRIBUTES attributes = {sizeof attributes, &descriptor, FALSE};
        m_lock = CreateMutexA(&attributes, FALSE, kLockName);
        if (!m_lock || WaitForSingleObject(m_lock, 5000) == WAIT_TIMEOUT) return;
        m_mapping =
            CreateFileMappingA(INVALID_HANDLE_VALUE, &attributes, PAGE_READWRITE, 0, kSlots * sizeof(Slot), kTableName);
        if (m_mapping)
            m_slots = static_cast<Slot*>(MapViewOfFile(m_mapping, FILE_MAP_ALL_ACCESS, 0, 0, kSlots * sizeof(Slot)));
    }
    ~Table() {
        if (m_slots) UnmapViewOfFile(m_slots);
        if (m_mapping) CloseHandle(m_mapping);
        if (m_lock) {
            ReleaseMutex(m_lock);
            CloseHandle(m_lock);
        }
    }
    Slot* slots() const { return m_slots; }

private:
    HANDLE m_lock;
    HANDLE m_mapping;
    Slot* m_slots;
};

bool Alive(DWORD processId) {
    if (processId == GetCurrentProcessId()) return true;
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, processId);
    if (!process) return false;
    bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    CloseHandle(process);
    return running;
}

bool Live(const Slot& slot) { return slot.inUse && Alive(slot.processId); }

} // namespace

namespace LiveConnections {

void Publish(HRASCONN handle, const std::string& entryName, const std::string& client, const std::string& server) {
    Table table;
    if (!table.slots()) return;
    for (DWORD i = 0; i < kSlots; ++i) {
        Slot& slot = table.slots()[i];
        if (Live(slot)) continue;
        slot.inUse = 1;
        slot.processId = GetCurrentProcessId();
        slot.localHandle = reinterpret_cast<UINT_PTR>(handle);
        lstrcpynA(slot.entryName, entryName.c_str(), sizeof slot.entryName);
        lstrcpynA(slot.client, client.c_str(), sizeof slot.client);
        lstrcpynA(slot.server, server.c_str(), sizeof slot.server);
        return;
    }
}

void Withdraw(HRASCONN handle) {
    Table table;
    if (!table.slots()) return;
    for (DWORD i = 0; i < kSlots; ++i) {
        Slot& slot = table.slots()[i];
        if (slot.inUse && slot.processId == GetCurrentProcessId() &&
            slot.localHandle == reinterpret_cast<UINT_PTR>(handle))
            slot.inUse = 0;
    }
}

std::vector<Listed> List() {
    std::vector<Listed> listed;
    Table table;
    if (!table.slots()) return listed;
    for (DWORD i = 0; i < kSlots; ++i) {
        const Slot& slot = table.slots()[i];
        if (Live(slot)) listed.push_back(Listed{reinterpret_cast<HRASCONN>(kListedBase + i * 4), slot.entryName});
    }
    return listed;
}

bool Projection(HRASCONN listed, std::string* client, std::string* server) {
    UINT_PTR value = reinterpret_cast<UINT_PTR>(listed);
    if (value < kListedBase || value >= kListedBase + kSlots * 4 || value % 4 != 0) return false;
    Table table;
    if (!table.slots()) return false;
    const Slot& slot = table.slots()[(value - kListedBase) / 4];
    if (!Live(slot)) return false;
    *client = slot.client;
    *server = slot.server;
    return true;
}

} // namespace LiveConnections
