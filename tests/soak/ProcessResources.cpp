#include "ProcessResources.h"

#include <psapi.h>

#include <vector>

#include "CommittedPrivateBytes.h"

namespace {

// The layouts below are the ones ntdll publishes for these two queries; the
// headers of the cross toolchain do not carry them all.
struct SystemHandleEntry {
    ULONG processId;
    BYTE objectType;
    BYTE flags;
    USHORT handleValue;
    PVOID object;
    ULONG access;
};

struct ProcessBasicInformation {
    LONG exitStatus;
    PVOID pebBaseAddress;
    ULONG_PTR affinityMask;
    LONG basePriority;
    ULONG_PTR processId;
    ULONG_PTR parentProcessId;
};

using QuerySystemInformation = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
using QueryInformationProcess = LONG(WINAPI*)(HANDLE, ULONG, PVOID, ULONG, PULONG);

const ULONG kSystemHandleInformation = 16;
const ULONG kProcessBasicInformation = 0;
const LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004);

FARPROC NtdllCall(const char* name) { return GetProcAddress(GetModuleHandleA("ntdll.dll"), name); }

long HandlesFromSystemList(DWORD processId) {
    auto query =
        reinterpret_cast<QuerySystemInformation>(reinterpret_cast<void*>(NtdllCall("NtQuerySystemInformation")));
    if (!query) return -1;
    std::vector<BYTE> buffer(64 * 1024);
    LONG status;
    for (;;) {
        ULONG needed = 0;
        status = query(kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
        if (status != kInfoLengthMismatch) break;
        buffer.resize(buffer.size() * 2);
        if (buffer.size() > (64u << 20)) return -1;
    }
    if (status != 0) return -1;
    ULONG count = *reinterpret_cast<const ULONG*>(buffer.data());
    const auto* entries = reinterpret_cast<const SystemHandleEntry*>(buffer.data() + sizeof(ULONG_PTR));
    long owned = 0;
    for (ULONG i = 0; i < count; ++i)
        if (entries[i].processId == processId) ++owned;
    return owned;
}

// Wine keeps each process's GDI objects in a table in that process's memory,
// named by the PEB at offset 0x94 (see below for WoW64): 65536 entries of 24 bytes, the object type
// at offset 14 and zero when the entry is free. Windows uses another layout
// there, so this is read only when GetGuiResources has said it cannot count.
long GdiObjectsFromWineTable(HANDLE process) {
    auto query =
        reinterpret_cast<QueryInformationProcess>(reinterpret_cast<void*>(NtdllCall("NtQueryInformationProcess")));
    if (!query) return -1;
    ProcessBasicInformation basic = {};
    if (query(process, kProcessBasicInformation, &basic, sizeof basic, nullptr) != 0) return -1;
    DWORD table = 0;
    const BYTE* peb = static_cast<const BYTE*>(basic.pebBaseAddress);
    if (!ReadProcessMemory(process, peb + 0x94, &table, sizeof table, nullptr)) return -1;
    BOOL wow64 = FALSE;
    if (table == 0 && IsWow64Process(process, &wow64) && wow64) {
        // Under WoW64 only the 64-bit PEB, the page below the 32-bit one, names
        // the table, at offset 0xF8; Wine keeps it within our reach below 4 GB.
        ULONGLONG wideTable = 0;
        if (!ReadProcessMemory(process, peb - 0x1000 + 0xF8, &wideTable, sizeof wideTable, nullptr) ||
            wideTable > 0xFFFFFFFFull)
            return -1;
        table = static_cast<DWORD>(wideTable);
    }
    if (table == 0) return -1;
    const size_t kEntries = 0x10000, kEntrySize = 24;
    std::vector<BYTE> entries(kEntries * kEntrySize);
    SIZE_T read = 0;
    if (!ReadProcessMemory(process, reinterpret_cast<LPCVOID>(static_cast<ULONG_PTR>(table)), entries.data(),
                           entries.size(), &read) ||
        read != entries.size())
        return -1;
    long inUse = 0;
    for (size_t i = 0; i < kEntries; ++i)
        if (entries[i * kEntrySize + 14] != 0) ++inUse;
    return inUse;
}

struct WindowCount {
    DWORD processId;
    long count;
};

BOOL CALLBACK CountChild(HWND, LPARAM data) {
    ++reinterpret_cast<WindowCount*>(data)->count;
    return TRUE;
}

BOOL CALLBACK CountTopLevel(HWND window, LPARAM data) {
    auto* counting = reinterpret_cast<WindowCount*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != counting->processId) return TRUE;
    ++counting->count;
    EnumChildWindows(window, CountChild, data);
    return TRUE;
}

long Windows(DWORD processId) {
    WindowCount counting = {processId, 0};
    EnumWindows(CountTopLevel, reinterpret_cast<LPARAM>(&counting));
    return counting.count;
}

long Handles(HANDLE process, DWORD processId) {
    DWORD count = 0;
    if (GetProcessHandleCount(process, &count) && count != 0) return static_cast<long>(count);
    return HandlesFromSystemList(processId);
}

long GdiObjects(HANDLE process) {
    SetLastError(0);
    DWORD count = GetGuiResources(process, GR_GDIOBJECTS);
    if (count != 0 || GetLastError() != ERROR_CALL_NOT_IMPLEMENTED) return static_cast<long>(count);
    return GdiObjectsFromWineTable(process);
}

long long PrivateBytes(HANDLE process) {
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters))
        return -1;
    if (counters.PrivateUsage != 0) return static_cast<long long>(counters.PrivateUsage);
    // Wine reports PrivateUsage as 0; the committed private pages of the
    // address space are what the counter stands for.
    return static_cast<long long>(driver::CommittedPrivateBytes(process));
}

} // namespace

std::string ProcessResources::describe() const {
    return "handles " + std::to_string(handles) + ", GDI objects " + std::to_string(gdiObjects) + ", windows " +
           std::to_string(windows) + ", private KB " + std::to_string(privateBytes / 1024);
}

ProcessResources MeasureProcess(HANDLE process, DWORD processId) {
    ProcessResources measured;
    measured.handles = Handles(process, processId);
    measured.gdiObjects = GdiObjects(process);
    measured.windows = Windows(processId);
    measured.privateBytes = PrivateBytes(process);
    return measured;
}

ProcessResources MeasureThisProcess() { return MeasureProcess(GetCurrentProcess(), GetCurrentProcessId()); }
