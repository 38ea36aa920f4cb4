#include "RunHiddenCommand.h"

#include "VpnPlatformCalls.h"

static_assert(sizeof(STARTUPINFOA) == 68, "STARTUPINFOA of 32-bit Windows");

void RunHiddenCommand(CString commandLine, DWORD waitLimitMs) {
    // No placement or show flags: the child is a console program that must
    // not flash a window at the user.
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child;
    ZeroMemory(&child, sizeof child);

    if (!vpnPlatform.CreateProcessA(nullptr, commandLine.GetBuffer(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                                    nullptr, nullptr, &startup, &child))
        return;
    // Only the process is waited on; its thread handle would just be held.
    CloseHandle(child.hThread);
    // A child that outlasts the limit keeps running; closing the handle only
    // lets go of it.
    WaitForSingleObject(child.hProcess, waitLimitMs);
    CloseHandle(child.hProcess);
}
