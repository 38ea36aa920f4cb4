#include "LoginSeams.h"

#include <shlobj.h>

#include <cstdlib>

LoginSeams g_loginSeams = {
    SHGetFolderPathA,
    CreateWaitableTimerA,
    SetWaitableTimer,
    std::malloc,
    std::free,
};
