// Construction and the binding of the six RAS entry points: what fails, what
// it says, and that the library is released exactly once.
#include <gtest/gtest.h>

#include "VpnLinkTestFixture.h"

namespace {

const char* const kEntryPoints[] = {"RasGetEntryPropertiesA", "RasSetEntryPropertiesA", "RasDialA", "RasHangUpA",
                                    "RasGetConnectStatusA",   "RasGetProjectionInfoA"};

TEST_F(VpnLinkTest, ConstructionSetsThePresetsAndTouchesNothing) {
    VpnLinkSettings presets;
    EXPECT_TRUE(presets.installRoutes);
    ASSERT_EQ(presets.routes.size(), 4u);
    const char* expected[4][2] = {{"10.200.3.0", "255.255.255.0"},
                                  {"10.200.4.0", "255.255.255.0"},
                                  {"10.200.32.0", "255.255.252.0"},
                                  {"10.200.36.0", "255.255.252.0"}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_STREQ(presets.routes[i].network, expected[i][0]);
        EXPECT_STREQ(presets.routes[i].mask, expected[i][1]);
    }
    EXPECT_STREQ(presets.entryName, "QuillMarsh Professional Trading");
    EXPECT_STREQ(presets.rasUserName, "Trader");
    EXPECT_STREQ(presets.rasPassword, "Marigold!");
    EXPECT_STREQ(presets.rasDomain, "ORBDOM");
    EXPECT_STREQ(presets.serverHost, "vpn.quillmarsh-holdings.com");
    EXPECT_EQ(presets.hangUpWaitLimit, 30000u);
    {
        VpnLink link;
        EXPECT_STREQ(link.LastError(), "");
        EXPECT_STREQ(link.ServerAddress(), "none");
        EXPECT_STREQ(link.ClientAddress(), "none");
        // Not connected: the link answers for itself without asking RAS.
        DWORD answer = 0;
        EXPECT_FALSE(IsUp(link, &answer));
        EXPECT_EQ(answer, static_cast<DWORD>(ERROR_INVALID_HANDLE));
    }
    // Destroying a link that never connected releases nothing.
    EXPECT_TRUE(recorder.loaded.empty());
    EXPECT_TRUE(recorder.released.empty());
    EXPECT_TRUE(RasCalls().empty());
}

TEST_F(VpnLinkTest, LibraryThatDoesNotLoadFailsConnectWithoutANumber) {
    recorder.loadReturnsFake = true;
    {
        VpnLink link;
        EXPECT_EQ(link.Connect(), VpnLink::kLinkFailed);
        EXPECT_STREQ(link.LastError(), "LoadLibrary rasapi32.dll");
    }
    EXPECT_EQ(recorder.loaded, std::vector<std::string>{SystemPath("rasapi32.dll")});
    EXPECT_TRUE(recorder.resolved.empty());
    EXPECT_TRUE(recorder.released.empty());
}

TEST_F(VpnLinkTest, LibraryHandleBelow32CountsAsAFailedLoad) {
    for (UINT_PTR value : {1u, 31u}) {
        SCOPED_TRACE(value);
        recorder = PlatformRecorder();
        recorder.loadReturnsFake = true;
        recorder.fakeLibrary = reinterpret_cast<HMODULE>(value);
        {
            VpnLink link;
            EXPECT_EQ(link.Connect(), VpnLink::kLinkFailed);
            EXPECT_STREQ(link.LastError(), "LoadLibrary rasapi32.dll");
            // What the load returned is handed back once, as any library
            // handle, and at once.
            EXPECT_EQ(recorder.released, std::vector<HMODULE>{recorder.fakeLibrary});
        }
        EXPECT_TRUE(recorder.resolved.empty());
        EXPECT_EQ(recorder.released, std::vector<HMODULE>{recorder.fakeLibrary});
    }
}

TEST_F(VpnLinkTest, EachMissingEntryPointIsNamedAndBindingStopsThere) {
    for (size_t missing = 0; missing < 6; ++missing) {
        SCOPED_TRACE(kEntryPoints[missing]);
        recorder = PlatformRecorder();
        recorder.missingEntryPoint = kEntryPoints[missing];
        HMODULE bound = nullptr;
        {
            VpnLink link;
            EXPECT_EQ(link.Connect(), VpnLink::kLinkFailed);
            EXPECT_EQ(std::string(link.LastError()), std::string("error loading ") + kEntryPoints[missing]);
            ASSERT_EQ(recorder.released.size(), 1u);
            bound = recorder.released[0];
        }
        EXPECT_EQ(recorder.resolved, std::vector<std::string>(kEntryPoints, kEntryPoints + missing + 1));
        EXPECT_EQ(recorder.released, std::vector<HMODULE>{bound});
        EXPECT_EQ(GetModuleHandleA("rasapi32.dll"), nullptr);
    }
    // Nothing was dialled, so nothing was hung up either.
    EXPECT_TRUE(RasCalls().empty());
}

TEST_F(VpnLinkTest, BindingTakesTheSixExportsInOrderAndDestructionReleasesThem) {
    {
        VpnLink link;
        ASSERT_EQ(link.Connect(), 0u) << link.LastError();
        EXPECT_EQ(recorder.resolved, std::vector<std::string>(std::begin(kEntryPoints), std::end(kEntryPoints)));
        EXPECT_TRUE(recorder.released.empty());
        EXPECT_TRUE(IsUp(link));
    }
    EXPECT_EQ(recorder.released.size(), 1u);
    EXPECT_EQ(GetModuleHandleA("rasapi32.dll"), nullptr);
}

TEST_F(VpnLinkTest, LibraryIsReleasedOnceAfterAFailedConnect) {
    Scenario("size.result=87");
    {
        VpnLink link;
        EXPECT_EQ(link.Connect(), VpnLink::kLinkFailed);
        EXPECT_EQ(recorder.released.size(), 1u);
        // Unbound: the link no longer asks RAS anything.
        ClearLogs();
        DWORD answer = 0;
        EXPECT_FALSE(IsUp(link, &answer));
        EXPECT_EQ(answer, static_cast<DWORD>(ERROR_INVALID_HANDLE));
        EXPECT_TRUE(RasCalls().empty());
    }
    EXPECT_EQ(recorder.released.size(), 1u);
    EXPECT_EQ(GetModuleHandleA("rasapi32.dll"), nullptr);
}

} // namespace
