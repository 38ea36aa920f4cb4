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

BOOL CreateStandardUserProcess(const char* application, char* commandLine, BOOL inheritHandles, DWORD flags,
                               void* environment, const char* folder, STARTUPINFOA* startup,
                               PROCESS_INFORMATION* child) {
    HANDLE token = StandardUserToken();
    if (!token) return FALSE;
    BOOL started = CreateProcessAsUserA(token, application, commandLine, nullptr, nullptr, inheritHandles, flags,
                                        environment, folder, startup, child);
    DWORD error = GetLastError();
    CloseHandle(token);
    SetLastError(error);
    return started;
}

} // namespace driver
