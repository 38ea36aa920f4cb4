#include "SupportLog.h"

#include <sddl.h>
#include <shlobj.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

const char kOlderSuffix[] = ".1";
// The rotation mutex is held while a copy of the program looks at the file's
// size and renames it, so that two copies starting together never rename a
// file the other just began.
const SupportLog::Place kProgramPlace = {
    CSIDL_LOCAL_APPDATA,
    "\\Quillmarsh VPN",
    "\\QuillmarshVPN.log",
    "Quillmarsh VPN support log",
    "dialog",
    "worker",
    false,
};
// Full control for the system and administrators, and reading for users: the
// help desk may read what the log says, nobody else may change it.
const char kAdminOnlyFolder[] = "D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;FRFX;;;BU)";
const DWORD kRotationWaitLimit = 1000;
const DWORD kRotateAbove = 1024 * 1024;
// Lines written before the file is open; more than this are left out.
const size_t kPendingLimit = 16384;
// A line longer than this is cut.
const size_t kLineLimit = 1024;
// How long the end of the program waits for a file that is still being opened.
const DWORD kOpenerWaitLimit = 2000;

enum class State { NotStarted, Opening, Open, Closed };

CRITICAL_SECTION g_lock;
const SupportLog::Place* g_place = &kProgramPlace;
State g_state = State::NotStarted;
HANDLE g_file = INVALID_HANDLE_VALUE;
HANDLE g_opener = nullptr;
DWORD g_dialogThread = 0;
char g_pending[kPendingLimit];
size_t g_pendingSize = 0;

// Every write of a handle opened for appending alone goes to the end of the file
// as one piece, so two copies of the program never interleave within a line.
void WriteWhole(const char* text, size_t size) {
    DWORD written = 0;
    WriteFile(g_file, text, static_cast<DWORD>(size), &written, nullptr);
}

// The folder's path in `path` (MAX_PATH), with room left for the file's name
// and the older copy's suffix.
bool FolderPath(char* path) {
    if (FAILED(SHGetFolderPathA(nullptr, g_place->folder, nullptr, SHGFP_TYPE_CURRENT, path))) return false;
    // Both names with their NULs, as the program's have always been counted.
    if (std::strlen(path) + std::strlen(g_place->folderName) + 1 + std::strlen(g_place->fileName) + 1 +
            sizeof kOlderSuffix >
        MAX_PATH)
        return false;
    std::strcat(path, g_place->folderName);
    return true;
}

// A folder someone made before us keeps no access of its own: the
// administrators' rule is set on it whoever made it.
void MakeFolder(const char* path) {
    if (!g_place->adminOnlyFolder) {
        CreateDirectoryA(path, nullptr); // already there, or the file cannot be made
        return;
    }
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(kAdminOnlyFolder, SDDL_REVISION_1, &descriptor, nullptr))
        return;
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, descriptor, FALSE};
    if (!CreateDirectoryA(path, &attributes))
        SetFileSecurityA(path, DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, descriptor);
    LocalFree(descriptor);
}

HANDLE OpenLogFile() {
    char path[MAX_PATH];
    if (!FolderPath(path)) return INVALID_HANDLE_VALUE;
    MakeFolder(path);
    std::strcat(path, g_place->fileName);

    HANDLE rotation = CreateMutexA(nullptr, FALSE, g_place->rotationMutex);
    // Not got in time (or abandoned by a copy that died): go on without it.
    DWORD waited = rotation ? WaitForSingleObject(rotation, kRotationWaitLimit) : WAIT_FAILED;
    WIN32_FILE_ATTRIBUTE_DATA attributes;
    if (GetFileAttributesExA(path, GetFileExInfoStandard, &attributes) &&
        (attributes.nFileSizeHigh != 0 || attributes.nFileSizeLow > kRotateAbove)) {
        char older[MAX_PATH];
        std::strcpy(older, path);
        std::strcat(older, kOlderSuffix);
        MoveFileExA(path, older, MOVEFILE_REPLACE_EXISTING);
    }
    // Appending only: each write goes to the end of the file whoever else writes.
    HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) ReleaseMutex(rotation);
    if (rotation) CloseHandle(rotation);
    return file;
}

DWORD WINAPI OpenerThread(LPVOID) {
    HANDLE file = OpenLogFile();
    EnterCriticalSection(&g_lock);
    if (g_state == State::Opening && file != INVALID_HANDLE_VALUE) {
        g_file = file;
        g_state = State::Open;
        if (g_pendingSize > 0) WriteWhole(g_pending, g_pendingSize);
    } else {
        if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
        if (g_state == State::Opening) g_state = State::Closed;
    }
    g_pendingSize = 0;
    LeaveCriticalSection(&g_lock);
    return 0;
}

// Copies text to out, control characters written as escapes; returns the size
// used, never more than room.
size_t CopyEscaped(const char* text, char* out, size_t room) {
    size_t used = 0;
    for (; *text; ++text) {
        unsigned char c = static_cast<unsigned char>(*text);
        char escape[5];
        if (c == '\r')
            std::strcpy(escape, "\\r");
        else if (c == '\n')
            std::strcpy(escape, "\\n");
        else if (c == '\t')
            std::strcpy(escape, "\\t");
        else if (c < 0x20 || c == 0x7F)
            std::sprintf(escape, "\\x%02X", c);
        else {
            escape[0] = static_cast<char>(c);
            escape[1] = '\0';
        }
        size_t length = std::strlen(escape);
        if (used + length > room) break;
        std::memcpy(out + used, escape, length);
        used += length;
    }
    return used;
}

// The folder is found through the shell, which the idle dialog never loads:
// the file is opened once an attempt is under way, by its first worker line, or
// at the end. Called with the lock held.
void StartOpening() {
    if (g_state != State::Opening || g_opener) return;
    g_opener = CreateThread(nullptr, 0, OpenerThread, nullptr, 0, nullptr);
    if (!g_opener) {
        g_state = State::Closed;
        g_pendingSize = 0;
    }
}

} // namespace

namespace SupportLog {

void Open() { Open(kProgramPlace); }

void Open(const Place& place) {
    if (g_state != State::NotStarted) return;
    g_place = &place;
    InitializeCriticalSection(&g_lock);
    g_dialogThread = GetCurrentThreadId();
    g_state = State::Opening;
}

void Write(const char* format, ...) {
    if (g_state == State::NotStarted) return;
    char text[kLineLimit];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);

    SYSTEMTIME now;
    GetLocalTime(&now);
    char line[kLineLimit + 64];
    int head = std::snprintf(line, sizeof line, "%04u-%02u-%02u %02u:%02u:%02u.%03u %s ", now.wYear, now.wMonth,
                             now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds,
                             GetCurrentThreadId() == g_dialogThread ? g_place->openingSide : g_place->otherSide);
    size_t size = static_cast<size_t>(head);
    size += CopyEscaped(text, line + size, sizeof line - size - 2);
    line[size++] = '\r';
    line[size++] = '\n';

    EnterCriticalSection(&g_lock);
    if (GetCurrentThreadId() != g_dialogThread) StartOpening();
    if (g_state == State::Open) {
        WriteWhole(line, size);
    } else if (g_state == State::Opening && g_pendingSize + size <= sizeof g_pending) {
        std::memcpy(g_pending + g_pendingSize, line, size);
        g_pendingSize += size;
    }
    LeaveCriticalSection(&g_lock);
}

void Close() {
    if (g_state == State::NotStarted) return;
    EnterCriticalSection(&g_lock);
    StartOpening();
    LeaveCriticalSection(&g_lock);
    // A shell that never answers must not keep the program from ending.
    if (g_opener) {
        WaitForSingleObject(g_opener, kOpenerWaitLimit);
        CloseHandle(g_opener);
        g_opener = nullptr;
    }
    EnterCriticalSection(&g_lock);
    if (g_state == State::Open) CloseHandle(g_file);
    g_file = INVALID_HANDLE_VALUE;
    g_state = State::Closed;
    g_pendingSize = 0;
    LeaveCriticalSection(&g_lock);
}

bool FilePath(char* path) {
    if (!FolderPath(path)) return false;
    std::strcat(path, g_place->fileName);
    return true;
}

} // namespace SupportLog
