#include "VpnLinkTestFixture.h"

#include "SystemLibrary.h"

const char kEntryName[] = "QuillMarsh Professional Trading";

void VpnLinkTest::SetUp() {
    StandinFixture::SetUp();
    InstallPlatformRecorder();
}

void VpnLinkTest::TearDown() {
    RemovePlatformRecorder();
    StandinFixture::TearDown();
}

std::string VpnLinkTest::DialledHandle() const {
    std::vector<LogLine> dials = CallsOf(RasCalls(), "RasDialA");
    return dials.empty() ? "" : dials[0].Get("conn");
}

bool VpnLinkTest::IsUp(VpnLink& link, DWORD* answer) {
    DWORD ignored, state, error;
    return link.IsConnected(answer ? *answer : ignored, state, error);
}

std::string SystemPath(const char* fileName) {
    char path[MAX_PATH];
    return SystemFilePath(fileName, path, sizeof path) ? path : "";
}
