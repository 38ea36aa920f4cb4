#include "StandardUser.h"

namespace driver {

HANDLE StandardUserToken() {
    HANDLE own = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &own)) return nullptr;
    TOKEN_LINKED_TOKEN linked = {};
    DWORD size = 0;
    BOOL got = GetTokenInformation(own, TokenLinkedToken, &linked, sizeof linked, &size);
    DWORD error = GetLastError();
    CloseHandle(own);
    if (!got) {
        SetLastError(error);
        return nullptr;
    }
    return linked.LinkedToken;
}

BOOL CreateStandardUserProcess(char* commandLine, BOOL inheritHandles, DWORD flags, STARTUPINFOA* startup,
                               PROCESS_INFORMATION* child) {
    HANDLE token = StandardUserToken();
    if (!token) return FALSE;
    BOOL started = CreateProcessAsUserA(token, nullptr, commandLine, nullptr, nullptr, inheritHandles, flags, nullptr,
                                        nullptr, startup, child);
    DWORD error = GetLastError();
    CloseHandle(token);
    SetLastError(error);
    return started;
}

} // namespace driver
