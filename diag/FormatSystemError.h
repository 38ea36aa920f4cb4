#pragma once
#include "CString.h"

// Replaces text with the system's own message for code (a system or Windows
// Sockets error number), exactly as the system words it, trailing line end
// included. Leaves text as it was when the system has no message for code.
void FormatSystemError(DWORD code, CString& text);
