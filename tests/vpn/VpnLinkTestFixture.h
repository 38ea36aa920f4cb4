#pragma once
// Tests of the VPN link run against the RAS and route stand-ins, with the
// link's module and process calls passing through the platform recorder.
#include <windows.h>
#include <string>
#include <vector>

#include "PlatformRecorder.h"
#include "StandinFixture.h"
#include "VpnLink.h"

extern const char kEntryName[];

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
