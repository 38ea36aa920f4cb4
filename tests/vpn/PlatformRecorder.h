#pragma once
// The VPN link's module and process calls passing through recorders that can
// also make one of them fail, for the link's own tests and the fault tests.
#include <windows.h>

#include <string>
#include <vector>

struct CreateProcessCall {
    std::string applicationName; // "(null)" when none was given
    std::string commandLine;
    bool processAttributesNull;
    bool threadAttributesNull;
    BOOL inheritHandles;
    DWORD creationFlags;
    bool environmentNull;
    bool currentDirectoryNull;
    STARTUPINFOA startup;
    BOOL result;
    PROCESS_INFORMATION child;
};

struct PlatformRecorder {
    std::vector<std::string> loaded;
    std::vector<std::string> resolved;
    std::vector<HMODULE> released;
    std::vector<CreateProcessCall> created;

    bool loadReturnsFake = false;
    HMODULE fakeLibrary = nullptr;
    std::string missingEntryPoint;
    int failingCreate = 0;         // 1-based number of the CreateProcessA call that fails
    HANDLE createdEvent = nullptr; // set after each CreateProcessA
};

extern PlatformRecorder recorder;

// Puts the recorders into g_vpnSeams with an empty record; the other takes the
// system's calls back and forgets what was recorded.
void InstallPlatformRecorder();
void RemovePlatformRecorder();
