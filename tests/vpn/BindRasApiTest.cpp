// Construction and the binding of the six RAS entry points: what fails, what
// it says, and that the library is released exactly once.
#include <gtest/gtest.h>

#include "VpnLinkTestFixture.h"

namespace {

const char* const kEntryPoints[] = {"RasGetEntryPropertiesA", "RasSetEntryPropertiesA", "RasDialA",
                                    "RasHangUpA",             "RasGetConnectStatusA",   "RasGetProjectionInfoA"};

bool NoneBound(const RasApiTable& api) {
    return !api.RasGetEntryPropertiesA && !api.RasSetEntryPropertiesA && !api.RasDialA && !api.RasHangUpA &&
           !api.RasGetConnectStatusA && !api.RasGetProjectionInfoA;
}

TEST_F(VpnLinkTest, ConstructionSetsThePresetsAndTouchesNothing) {
    {
        VpnLink link;
        EXPECT_EQ(link.rasLibrary, nullptr);
        EXPECT_TRUE(NoneBound(link.rasApi));
        EXPECT_EQ(link.entryBuffer, nullptr);
        EXPECT_EQ(link.connection, nullptr);
        EXPECT_TRUE(link.installRoutes);
        ASSERT_EQ(link.routes.size(), 4u);
        const char* expected[4][2] = {{"10.200.3.0", "255.255.255.0"},
                                      {"10.200.4.0", "255.255.255.0"},
                                      {"10.200.32.0", "255.255.252.0"},
                                      {"10.200.36.0", "255.255.252.0"}};
        for (int i = 0; i < 4; ++i) {
            EXPECT_STREQ(link.routes[i].network, expected[i][0]);
            EXPECT_STREQ(link.routes[i].mask, expected[i][1]);
        }
        EXPECT_STREQ(link.entryName, "QuillMarsh Professional Trading");
        EXPECT_STREQ(link.rasUserName, "Trader");
        EXPECT_STREQ(link.rasPassword, "Marigold!");
        EXPECT_STREQ(link.rasDomain, "ORBDOM");
        EXPECT_STREQ(link.serverHost, "vpn.quillmarsh-holdings.com");
        EXPECT_STREQ(link.lastError, "");
        EXPECT_STREQ(link.serverAddress, "none");
        EXPECT_STREQ(link.clientAddress, "none");
        EXPECT_EQ(link.hangUpWaitLimit, 30000u);
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
        EXPECT_FALSE(link.Connect());
        EXPECT_STREQ(link.lastError, "LoadLibrary rasapi32.dll");
        EXPECT_EQ(link.rasLibrary, nullptr);
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
            EXPECT_FALSE(link.Connect());
            EXPECT_STREQ(link.lastError, "LoadLibrary rasapi32.dll");
            EXPECT_EQ(link.rasLibrary, nullptr);
        }
        EXPECT_TRUE(recorder.resolved.empty());
        // What the load returned is handed back once, as any library handle.
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
            EXPECT_FALSE(link.Connect());
            EXPECT_EQ(std::string(link.lastError), std::string("error loading ") + kEntryPoints[missing]);
            EXPECT_TRUE(NoneBound(link.rasApi));
            EXPECT_EQ(link.rasLibrary, nullptr);
            ASSERT_EQ(recorder.released.size(), 1u);
            bound = recorder.released[0];
        }
        EXPECT_EQ(recorder.resolved, std::vector<std::string>(kEntryPoints, kEntryPoints + missing + 1));
        EXPECT_EQ(recorder.released, std::vector<HMODULE>{bound});
        EXPECT_EQ(GetModuleHandleA("rasapi32.dll"), nullptr);
    }
    EXPECT_TRUE(RasCalls().empty());
}

TEST_F(VpnLinkTest, BindingTakesTheSixExportsInOrderAndUnbindNullsThem) {
    VpnLink link;
    ASSERT_TRUE(link.BindRasApi());
    ASSERT_NE(link.rasLibrary, nullptr);
    EXPECT_EQ(recorder.resolved, std::vector<std::string>(std::begin(kEntryPoints), std::end(kEntryPoints)));
    EXPECT_EQ(reinterpret_cast<void*>(link.rasApi.RasDialA),
              reinterpret_cast<void*>(GetProcAddress(link.rasLibrary, "RasDialA")));
    EXPECT_EQ(reinterpret_cast<void*>(link.rasApi.RasGetProjectionInfoA),
              reinterpret_cast<void*>(GetProcAddress(link.rasLibrary, "RasGetProjectionInfoA")));
    link.Unbind();
    EXPECT_TRUE(NoneBound(link.rasApi));
    EXPECT_EQ(link.rasLibrary, nullptr);
    link.Unbind();
    EXPECT_EQ(recorder.released.size(), 1u);
}

TEST_F(VpnLinkTest, LibraryIsReleasedOnceAfterAFailedConnect) {
    Scenario("size.result=87");
    {
        VpnLink link;
        EXPECT_FALSE(link.Connect());
        EXPECT_EQ(recorder.released.size(), 1u);
        link.Unbind();
        EXPECT_EQ(recorder.released.size(), 1u);
    }
    EXPECT_EQ(recorder.released.size(), 1u);
    EXPECT_EQ(GetModuleHandleA("rasapi32.dll"), nullptr);
}

} // namespace
