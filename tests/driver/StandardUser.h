#pragma once
// A standard user's token, as UAC gives one: the filtered twin of this test
// program's elevated token, for starting the program (or a tool) the way a
// desk without administrator rights runs it.
#include <windows.h>

namespace driver {

// The filtered token, or nullptr (with the error in GetLastError) when this
// process has no linked token; the caller closes it.
HANDLE StandardUserToken();

// CreateProcessA with the standard user's token; same arguments otherwise.
BOOL CreateStandardUserProcess(const char* application, char* commandLine, BOOL inheritHandles, DWORD flags,
                               void* environment, const char* folder, STARTUPINFOA* startup,
                               PROCESS_INFORMATION* child);

} // namespace driver
