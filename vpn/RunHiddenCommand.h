#pragma once
// Runs a program as a child process without a window and returns when
// the child has ended, when it has run for waitLimitMs, or at once when it cannot
// be started. A child still running at the limit is left to finish on its own:
// a system tool is never ended half-way through a change to the routing table.
#include <windows.h>

#include "CString.h"

// How long a route command may hold the attempt.
const DWORD kHiddenCommandWaitLimit = 10000;

// The program goes by its full path, so that no file of the same name in the
// program's or the current folder runs instead; the child still sees the
// command line as given. By value: process creation may write into the text.
void RunHiddenCommand(const char* programPath, CString commandLine, DWORD waitLimitMs = kHiddenCommandWaitLimit);
