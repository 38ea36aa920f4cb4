#pragma once
// The platform calls of the VPN link that tests replace, and the running of
// system tools through them.
#include <windows.h>

#include "CString.h"

// The platform calls of the VPN link whose failures the real system cannot be
// made to produce on demand. They point at the real calls; only tests replace
// them.
struct VpnSeams {
    HMODULE(WINAPI* loadLibrary)(LPCSTR fileName);
    FARPROC(WINAPI* getProcAddress)(HMODULE module, LPCSTR name);
    BOOL(WINAPI* freeLibrary)(HMODULE module);
    BOOL(WINAPI* createProcess)
    (LPCSTR applicationName, LPSTR commandLine, LPSECURITY_ATTRIBUTES processAttributes,
     LPSECURITY_ATTRIBUTES threadAttributes, BOOL inheritHandles, DWORD creationFlags, LPVOID environment,
     LPCSTR currentDirectory, LPSTARTUPINFOA startupInfo, LPPROCESS_INFORMATION processInformation);
};

extern VpnSeams g_vpnSeams;
// The real calls, for a test to restore or to pass through to.
extern const VpnSeams kRealVpnSeams;

// Runs a program as a child process without a window and returns when
// the child has ended, when it has run for waitLimitMs, or at once when it cannot
// be started. A child still running at the limit is left to finish on its own:
// a system tool is never ended half-way through a change to the routing table.
// Answers the child's exit code, or one of these two.
const DWORD kCommandNotStarted = 0xFFFFFFFE;
const DWORD kCommandStillRunning = 0xFFFFFFFD;

// How long a route command may hold the attempt.
const DWORD kHiddenCommandWaitLimit = 10000;

// The program goes by its full path, so that no file of the same name in the
// program's or the current folder runs instead; the child still sees the
// command line as given. By value: process creation may write into the text.
DWORD RunHiddenCommand(const char* programPath, CString commandLine, DWORD waitLimitMs = kHiddenCommandWaitLimit);
