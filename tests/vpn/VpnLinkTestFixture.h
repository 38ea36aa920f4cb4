#pragma once
// Tests of the VPN link run against the RAS and route stand-ins, with the
// link's module and process calls passing through recorders that can also make
// one of them fail.
#include <windows.h>
#include <string>
#include <vector>

#include "StandinFixture.h"
#include "VpnLink.h"

extern const char kEntryName[];

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

// The full path of a file in the system folder, as the link names it.
std::string SystemPath(const char* fileName);

class VpnLinkTest : public StandinFixture {
protected:
    void SetUp() override;
    void TearDown() override;

    // The handle the first dial in the stand-in's log gave out, as it logs it.
    std::string DialledHandle() const;
    // The link's IsConnected; `answer` is RAS's, or the link's own when it had
    // no connection to ask about.
    static bool IsUp(VpnLink& link, DWORD* answer = nullptr);
};
