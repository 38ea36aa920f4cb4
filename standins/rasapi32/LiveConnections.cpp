#include "LiveConnections.h"

#include <cstring>

namespace {

// A file in the Windows temporary folder, which every process of the desk can
// reach whatever its token: RAS's own list is the machine's, not a session's.
const char kFileName[] = "\\Temp\\qm-ras-live.txt";
const DWORD kSlots = 16;
// Listed handles lie apart from any process's own.
const UINT_PTR kListedBase = 0x7F000000;
const DWORD kOpenLimitMs = 5000;

struct Slot {
    DWORD inUse;
    DWORD processId;
    UINT_PTR localHandle;
    char entryName[RAS_MaxEntryName + 1];
    char client[RAS_MaxIpAddress + 1];
    char server[RAS_MaxIpAddress + 1];
};

// The table, read whole when made and written back whole when changed. The
// file is held without sharing for the object's life: that is its lock.
class Table {
public:
    Table() : m_file(INVALID_HANDLE_VALUE), m_slots(), m_changed(false) {
        char path[MAX_PATH] = "C:\\windows";
        GetWindowsDirectoryA(path, MAX_PATH - sizeof kFileName);
        lstrcatA(path, kFileName);
        DWORD started = GetTickCount();
        do {
            m_file = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                 nullptr);
            if (m_file != INVALID_HANDLE_VALUE) break;
            Sleep(10);
        } while (GetTickCount() - started < kOpenLimitMs);
        if (m_file == INVALID_HANDLE_VALUE) return;
        DWORD read = 0;
        if (!ReadFile(m_file, m_slots, sizeof m_slots, &read, nullptr) || read != sizeof m_slots)
            ZeroMemory(m_slots, sizeof m_slots);
    }
    ~Table() {
        if (m_file == INVALID_HANDLE_VALUE) return;
        if (m_changed) {
            DWORD written = 0;
            SetFilePointer(m_file, 0, nullptr, FILE_BEGIN);
            WriteFile(m_file, m_slots, sizeof m_slots, &written, nullptr);
        }
        CloseHandle(m_file);
    }
    Slot* slots() { return m_file == INVALID_HANDLE_VALUE ? nullptr : m_slots; }
    void changed() { m_changed = true; }

private:
    HANDLE m_file;
    Slot m_slots[kSlots];
    bool m_changed;
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
        table.changed();
        return;
    }
}

void Withdraw(HRASCONN handle) {
    Table table;
    if (!table.slots()) return;
    for (DWORD i = 0; i < kSlots; ++i) {
        Slot& slot = table.slots()[i];
        if (slot.inUse && slot.processId == GetCurrentProcessId() &&
            slot.localHandle == reinterpret_cast<UINT_PTR>(handle)) {
            slot.inUse = 0;
            table.changed();
        }
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
