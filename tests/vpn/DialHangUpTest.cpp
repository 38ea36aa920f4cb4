// Dialling with the preset credentials, hanging up with its status polling,
// and what a failure at either end leaves behind.
#include <gtest/gtest.h>

#include "VpnPlatformCalls.h"
#include "VpnLinkTestFixture.h"

namespace {

std::string HandleText(HRASCONN handle) {
    return std::to_string(reinterpret_cast<UINT_PTR>(handle));
}

std::vector<std::string> Results(const std::vector<LogLine>& calls) {
    std::vector<std::string> results;
    for (const LogLine& call : calls)
        results.push_back(call.Get("result"));
    return results;
}

TEST_F(VpnLinkTest, DialUsesThePresetCredentialsAndTheEntrysOwnNumber) {
    VpnLink link;
    ASSERT_TRUE(link.Connect()) << link.lastError;
    std::vector<LogLine> dials = CallsOf(RasCalls(), "RasDialA");
    ASSERT_EQ(dials.size(), 1u);
    const LogLine& dial = dials[0];
    EXPECT_EQ(dial.Get("ext"), "null");
    EXPECT_EQ(dial.Get("pbk"), "(null)");
    EXPECT_EQ(dial.Get("params.dwSize"), "1060");
    EXPECT_EQ(dial.Get("params.szEntryName"), kEntryName);
    EXPECT_EQ(dial.Get("params.szPhoneNumber"), "");
    EXPECT_EQ(dial.Get("params.szCallbackNumber"), "");
    EXPECT_EQ(dial.Get("params.szUserName"), "Trader");
    EXPECT_EQ(dial.Get("params.szPassword"), "Marigold!");
    EXPECT_EQ(dial.Get("params.szDomain"), "ORBDOM");
    EXPECT_EQ(dial.Get("params.dwSubEntry"), "0");
    EXPECT_EQ(dial.Get("params.dwCallbackId"), "0");
    EXPECT_EQ(dial.Get("notifierType"), "0");
    EXPECT_EQ(dial.Get("notifier"), "null");
    EXPECT_EQ(dial.Get("handleOut"), "set");
    EXPECT_EQ(dial.Get("dialled"), "vpn.quillmarsh-holdings.com");
    ASSERT_NE(link.connection, nullptr);
    EXPECT_EQ(dial.Get("conn"), HandleText(link.connection));
}

TEST_F(VpnLinkTest, DialFailureReportsRasErrorAndHangsUp) {
    Scenario("dial.result=691\nhangup.polls=1");
    {
        VpnLink link;
        EXPECT_FALSE(link.Connect());
        EXPECT_STREQ(link.lastError, "RasDial QuillMarsh Professional Trading failed error=691");
        EXPECT_EQ(link.connection, nullptr);
        EXPECT_EQ(link.rasLibrary, nullptr);
        EXPECT_EQ(recorder.released.size(), 1u);
    }
    std::vector<LogLine> calls = RasCalls();
    EXPECT_EQ(CallNames(calls), (std::vector<std::string>{"RasGetEntryPropertiesA/size", "RasSetEntryPropertiesA",
                                                           "RasDialA", "RasHangUpA", "RasGetConnectStatusA",
                                                           "RasGetConnectStatusA"}));
    std::string handle = CallsOf(calls, "RasDialA")[0].Get("conn");
    EXPECT_NE(handle, "null");
    EXPECT_EQ(CallsOf(calls, "RasHangUpA")[0].Get("conn"), handle);
    std::vector<LogLine> polls = CallsOf(calls, "RasGetConnectStatusA");
    EXPECT_EQ(Results(polls), (std::vector<std::string>{"0", "6"}));
    for (const LogLine& poll : polls) {
        EXPECT_EQ(poll.Get("conn"), handle);
        EXPECT_EQ(poll.Get("status.dwSize"), "288");
    }
    EXPECT_EQ(recorder.released.size(), 1u);
}

TEST_F(VpnLinkTest, FailedDialWithoutAHandleHasNothingToHangUp) {
    Scenario("dial.result=720\ndial.handle=no");
    VpnLink link;
    EXPECT_FALSE(link.Connect());
    EXPECT_STREQ(link.lastError, "RasDial QuillMarsh Professional Trading failed error=720");
    EXPECT_TRUE(CallsOf(RasCalls(), "RasHangUpA").empty());
}

TEST_F(VpnLinkTest, FailingHangUpAfterAFailedDialReplacesTheDialText) {
    Scenario("dial.result=691\nhangup.result=668");
    VpnLink link;
    EXPECT_FALSE(link.Connect());
    EXPECT_STREQ(link.lastError, "RasHangUp QuillMarsh Professional Trading failed error=668");
    EXPECT_EQ(link.connection, nullptr);
}

TEST_F(VpnLinkTest, HangUpPollsUntilTheConnectionIsGone) {
    VpnLink link;
    ASSERT_TRUE(link.Connect()) << link.lastError;
    Scenario("hangup.polls=3");
    ClearLogs();
    DWORD started = GetTickCount();
    link.HangUp();
    DWORD elapsed = GetTickCount() - started;
    EXPECT_EQ(link.connection, nullptr);
    EXPECT_STREQ(link.lastError, "");
    EXPECT_EQ(Results(CallsOf(RasCalls(), "RasGetConnectStatusA")),
              (std::vector<std::string>{"0", "0", "0", "6"}));
    // Three pauses of a tenth of a second between the four queries.
    EXPECT_GE(elapsed, 250u);
}

TEST_F(VpnLinkTest, HangUpGivesUpOnAConnectionThatNeverGoes) {
    VpnLink link;
    ASSERT_TRUE(link.Connect()) << link.lastError;
    Scenario("hangup.polls=never");
    ClearLogs();
    link.hangUpWaitLimit = 600;
    link.HangUp();
    EXPECT_EQ(link.connection, nullptr);
    EXPECT_STREQ(link.lastError, "");
    // Judged by when the stand-in was asked, not by how long it all took: the
    // queries came a pause apart until the limit had passed, and then stopped.
    std::vector<LogLine> polls = CallsOf(RasCalls(), "RasGetConnectStatusA");
    ASSERT_GE(polls.size(), 2u);
    std::vector<unsigned long long> times;
    for (const LogLine& poll : polls) times.push_back(std::stoull(poll.Get("time")));
    for (size_t i = 1; i < times.size(); ++i) EXPECT_GE(times[i] - times[i - 1], 900000ull) << "query " << i;
    EXPECT_GE(times.back() - times.front(), 5500000ull) << "asked until the limit"; // 100 ns units
    EXPECT_LE(polls.size(), 9u);
    // Nothing is left to hang up.
    ClearLogs();
    link.Unbind();
    EXPECT_TRUE(RasCalls().empty());
}

TEST_F(VpnLinkTest, HangUpNeedsAConnectionAndBothEntryPoints) {
    VpnLink link;
    link.HangUp();
    ASSERT_TRUE(link.BindRasApi());
    link.connection = reinterpret_cast<HRASCONN>(0x1234);
    link.rasApi.RasGetConnectStatusA = nullptr;
    link.HangUp();
    EXPECT_EQ(link.connection, reinterpret_cast<HRASCONN>(0x1234));
    EXPECT_TRUE(RasCalls().empty());
    link.connection = nullptr;
}

TEST_F(VpnLinkTest, DestructionHangsUpAConnectedLink) {
    std::string handle;
    {
        VpnLink link;
        ASSERT_TRUE(link.Connect()) << link.lastError;
        handle = HandleText(link.connection);
        EXPECT_TRUE(CallsOf(RasCalls(), "RasHangUpA").empty());
    }
    std::vector<LogLine> hangUps = CallsOf(RasCalls(), "RasHangUpA");
    ASSERT_EQ(hangUps.size(), 1u);
    EXPECT_EQ(hangUps[0].Get("conn"), handle);
    EXPECT_EQ(recorder.released.size(), 1u);
}

TEST_F(VpnLinkTest, FailedProjectionKeepsTheConnectionUntilDestruction) {
    Scenario("projection.result=5");
    {
        VpnLink link;
        EXPECT_FALSE(link.Connect());
        EXPECT_STREQ(link.lastError, "RasGetProjectionInfo QuillMarsh Professional Trading failed error=5");
        EXPECT_STREQ(link.clientAddress, "none");
        EXPECT_STREQ(link.serverAddress, "none");
        EXPECT_NE(link.connection, nullptr);
        EXPECT_NE(link.rasLibrary, nullptr);
        EXPECT_TRUE(CallsOf(RasCalls(), "RasHangUpA").empty());
        EXPECT_TRUE(recorder.released.empty());
    }
    EXPECT_EQ(CallsOf(RasCalls(), "RasHangUpA").size(), 1u);
    EXPECT_EQ(recorder.released.size(), 1u);
    EXPECT_TRUE(recorder.created.empty());
    EXPECT_TRUE(RouteRuns().empty());
}

TEST_F(VpnLinkTest, OverlongTextsAreCutToTheirFields) {
    VpnLink link;
    link.serverHost = CString('h', 300);
    link.rasUserName = CString('u', 300);
    link.rasPassword = CString('p', 300);
    link.rasDomain = CString('d', 40);
    ASSERT_TRUE(link.Connect()) << link.lastError;
    std::vector<LogLine> calls = RasCalls();
    const LogLine write = CallsOf(calls, "RasSetEntryPropertiesA").at(0);
    EXPECT_EQ(write.Get("entry.szLocalPhoneNumber"), std::string(128, 'h'));
    EXPECT_FALSE(write.Has("entry.szLocalPhoneNumber.unterminated"));
    EXPECT_EQ(write.Get("entry.dwAlternateOffset"), "0");
    const LogLine dial = CallsOf(calls, "RasDialA").at(0);
    EXPECT_EQ(dial.Get("params.szUserName"), std::string(256, 'u'));
    EXPECT_EQ(dial.Get("params.szPassword"), std::string(256, 'p'));
    EXPECT_EQ(dial.Get("params.szDomain"), std::string(15, 'd'));
    EXPECT_EQ(dial.Get("params.dwSubEntry"), "0");
    link.Unbind();

    VpnLink named;
    named.entryName = CString('n', 300);
    ASSERT_TRUE(named.BindRasApi());
    ClearLogs();
    named.Dial();
    EXPECT_EQ(CallsOf(RasCalls(), "RasDialA").at(0).Get("params.szEntryName"), std::string(256, 'n'));
}

} // namespace
