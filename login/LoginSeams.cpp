#include "LoginSeams.h"

#include <shlobj.h>

#include <cstdlib>
#include <new>

namespace {
LoginRequest* NewRequest() { return new (std::nothrow) LoginRequest; }
void DeleteRequest(LoginRequest* request) { delete request; }
} // namespace

LoginSeams g_loginSeams = {
    CreateEventA,
    AfxBeginThread,
    NewRequest,
    DeleteRequest,
    std::malloc,
    std::free,
    SHGetFolderPathA,
    CreateWaitableTimerA,
    SetWaitableTimer,
};
