#include "VpnPlatformCalls.h"

#include "SupportLog.h"

const VpnSeams kRealVpnSeams = {
    ::LoadLibraryA,
    ::GetProcAddress,
    ::FreeLibrary,
    ::CreateProcessA,
};

VpnSeams g_vpnSeams = kRealVpnSeams;

static_assert(sizeof(STARTUPINFOA) == 68, "STARTUPINFOA of 32-bit Windows");

DWORD RunHiddenCommand(const char* programPath, CString commandLine, DWORD waitLimitMs) {
    // No placement or show flags: the child is a console program that must
    // not flash a window at the user.
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child;
    ZeroMemory(&child, sizeof child);

    // Logged before the call: process creation may write into the text.
    CString shown = commandLine;
    DWORD started = GetTickCount();
    if (!g_vpnSeams.createProcess(programPath, commandLine.GetBuffer(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                                  nullptr, nullptr, &startup, &child)) {
        SupportLog::Write("Command \"%s\" could not be started: system error %lu", shown.GetString(), GetLastError());
        return kCommandNotStarted;
    }
    // Only the process is waited on; its thread handle would just be held.
    CloseHandle(child.hThread);
    // A child that outlasts the limit keeps running; closing the handle only
    // lets go of it.
    DWORD exitCode = kCommandNotStarted;
    if (WaitForSingleObject(child.hProcess, waitLimitMs) != WAIT_OBJECT_0) {
        exitCode = kCommandStillRunning;
        SupportLog::Write("Command \"%s\" still running after %lu ms: left to finish on its own", shown.GetString(),
                          GetTickCount() - started);
    } else if (GetExitCodeProcess(child.hProcess, &exitCode)) {
        SupportLog::Write("Command \"%s\" exit code %lu after %lu ms", shown.GetString(), exitCode,
                          GetTickCount() - started);
    }
    CloseHandle(child.hProcess);
    return exitCode;
}
