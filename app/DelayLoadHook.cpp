// The libraries this program binds on first use (shell32 for the folder
// lookups, the Windows Sockets library for the configuration-server probe) come
// from the system folder, like every other library it loads. One that cannot be
// loaded from there must not end the program with the link still dialled: the
// system's delay-load helper would raise an exception that nothing catches.
// Its functions answer as failures instead, with the load's own error, and the
// operation that needed them reports it like any other failure: the probe's
// result line, the fallback of the client's folder lookup, a log that cannot be
// opened.
//
// No support-log line from here: the log itself binds shell32 on first use, and
// a failing load would come straight back into this hook.
#include <winsock.h>
#include <delayimp.h>

#include "SystemLibrary.h"

namespace {

DWORD g_loadError = ERROR_MOD_NOT_FOUND;

int WINAPI FailedWSAStartup(WORD, LPWSADATA) { return static_cast<int>(g_loadError); }
int WINAPI FailedWSACleanup() { return SOCKET_ERROR; }
int WINAPI FailedWSAGetLastError() { return static_cast<int>(g_loadError); }
SOCKET WINAPI FailedSocket(int, int, int) { return INVALID_SOCKET; }
int WINAPI FailedConnect(SOCKET, const sockaddr*, int) { return SOCKET_ERROR; }
int WINAPI FailedCloseSocket(SOCKET) { return SOCKET_ERROR; }
hostent* WINAPI FailedGetHostByName(const char*) { return nullptr; }
// These two only convert; they answer as the library would.
u_short WINAPI PlainHtons(u_short value) { return static_cast<u_short>((value << 8) | (value >> 8)); }
char* WINAPI PlainInetNtoa(in_addr address) {
    static char text[16];
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(&address.s_addr);
    wsprintfA(text, "%u.%u.%u.%u", bytes[0], bytes[1], bytes[2], bytes[3]);
    return text;
}
HRESULT WINAPI FailedSHGetFolderPathA(HWND, int, HANDLE, DWORD, LPSTR path) {
    if (path) path[0] = '\0';
    return HRESULT_FROM_WIN32(g_loadError);
}

struct Fallback {
    const char* library;
    const char* function;
    FARPROC answer;
};

template <typename Function>
FARPROC Answer(Function function) {
    return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(function));
}

// Every function the build binds on first use (cmake/delay/*.def).
const Fallback kFallbacks[] = {
    {"WSOCK32.dll", "WSAStartup", Answer(FailedWSAStartup)},
    {"WSOCK32.dll", "WSACleanup", Answer(FailedWSACleanup)},
    {"WSOCK32.dll", "WSAGetLastError", Answer(FailedWSAGetLastError)},
    {"WSOCK32.dll", "socket", Answer(FailedSocket)},
    {"WSOCK32.dll", "connect", Answer(FailedConnect)},
    {"WSOCK32.dll", "closesocket", Answer(FailedCloseSocket)},
    {"WSOCK32.dll", "gethostbyname", Answer(FailedGetHostByName)},
    {"WSOCK32.dll", "htons", Answer(PlainHtons)},
    {"WSOCK32.dll", "inet_ntoa", Answer(PlainInetNtoa)},
    {"SHELL32.dll", "SHGetFolderPathA", Answer(FailedSHGetFolderPathA)},
};

FARPROC FallbackFor(const DelayLoadInfo* info) {
    if (!info->dlp.fImportByName) return nullptr;
    for (const Fallback& fallback : kFallbacks) {
        if (lstrcmpiA(fallback.library, info->szDll) == 0 && lstrcmpA(fallback.function, info->dlp.szProcName) == 0)
            return fallback.answer;
    }
    return nullptr;
}

// This program's own module stands for a library that could not be loaded, so
// that the helper asks for each function here instead of raising.
HMODULE Unloadable() { return GetModuleHandleA(nullptr); }

FARPROC WINAPI DelayLoadNotify(unsigned note, PDelayLoadInfo info) {
    switch (note) {
    case dliNotePreLoadLibrary: {
        HMODULE library = LoadSystemLibrary(info->szDll);
        if (library) return reinterpret_cast<FARPROC>(library);
        g_loadError = GetLastError();
        return reinterpret_cast<FARPROC>(Unloadable());
    }
    case dliNotePreGetProcAddress:
        return info->hmodCur == Unloadable() ? FallbackFor(info) : nullptr;
    default:
        return nullptr;
    }
}

} // namespace

// The helper's notification hook, taken instead of the runtime's empty one.
PfnDliHook __pfnDliNotifyHook2 = DelayLoadNotify;
