#pragma once
// Runs one command line as a child process without a window and returns when
// the child has ended, or at once when it cannot be started.
#include "CString.h"

// By value: process creation may write into the text it is given.
void RunHiddenCommand(CString commandLine);
