#pragma once
// Libraries and tools are taken from the system folder only. None of the
// libraries this program loads is a known DLL, and the system's standard search
// looks in the program's own folder and the current folder first, where any
// user can drop a file of the same name that would then run with this
// program's rights, which include changing the routing table. On 64-bit
// Windows the system folder of this 32-bit program is SysWOW64; the system
// redirects there by itself.
#include <windows.h>

// Restricts the process's library search to the system folder: with
// SetDefaultDllDirectories where the system has it, otherwise by taking the
// current folder out of the search. Uses nothing but kernel32, so that it can
// run before the runtime has started.
void RestrictDllSearchToSystemFolder();

// The full path of a file in the system folder; false (and an empty path) when
// the folder cannot be named or the path does not fit.
bool SystemFilePath(const char* fileName, char* path, DWORD size);

// Loads a library by its full path in the system folder; null, with the
// system's error, when it cannot be loaded.
HMODULE LoadSystemLibrary(const char* fileName);
