#pragma once
// What a process holds of the system's resources, counted from outside or from
// within: kernel handles, GDI objects, windows and private memory. Each counter
// asks the documented call first; where that call reports nothing (Wine answers
// GetGuiResources with 0 and error 120, and GetProcessHandleCount with 0), it
// counts what Wine keeps instead: the system handle list filtered by process id,
// and the in-use entries of the process's shared GDI handle table.
#include <windows.h>

#include <string>

struct ProcessResources {
    long handles = -1; // -1: could not be counted
    long gdiObjects = -1;
    long windows = -1; // top-level and child windows of the process's threads
    long long privateBytes = -1;

    std::string describe() const;
};

// `process` needs PROCESS_QUERY_INFORMATION and PROCESS_VM_READ access.
ProcessResources MeasureProcess(HANDLE process, DWORD processId);
ProcessResources MeasureThisProcess();
