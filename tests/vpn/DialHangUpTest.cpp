// Dialling with the preset credentials, hanging up with its status polling,
// and what a failure at either end leaves behind.
#include <gtest/gtest.h>

#include "VpnPlatformCalls.h"
#include "VpnLinkTestFixture.h"

namespace {

std::vector<std::string> Results(const std::vector<LogLine>& calls) {
    std::vector<std::string> results;
    for (const LogLine& call : calls) results.push_back(call.Get("result"));
    return results;
}

TEST_F(VpnLinkTest, DialUsesThePresetCredentialsAndTheEntrysOwnNumber) {
    VpnLink link;
    ASSERT_EQ(link.Connect(), 0u) << link.LastError();
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
    EXPECT_NE(dial.Get("conn"), "null");
}

TEST_F(VpnLinkTest, DialFailureReportsRasErrorAndHangsUp) {
    Scenario("dial.result=691\nhangup.polls=1");
    {
        VpnLink link;
        EXPECT_EQ(link.Connect(), 691u);
        EXPECT_STREQ(link.LastError(), "RasDial QuillMarsh Professional Trading failed error=691");
        EXPECT_EQ(recorder.released.size(), 1u);
    }
    std::vector<LogLine> calls = RasCalls();
    EXPECT_EQ(CallNames(calls),
              (std::vector<std::string>{"RasGetEntryPropertiesA/size", "RasSetEntryPropertiesA", "RasDialA",
                                        "RasHangUpA", "RasGetConnectStatusA", "RasGetConnectStatusA"}));
    std::string handle = DialledHandle();
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
    EXPECT_EQ(link.Connect(), 720u);
    EXPECT_STREQ(link.LastError(), "RasDial QuillMarsh Professional Trading failed error=720");
    EXPECT_TRUE(CallsOf(RasCalls(), "RasHangUpA").empty());
}

TEST_F(VpnLinkTest, FailingHangUpAfterAFailedDialReplacesTheDialText) {
    Scenario("dial.result=691\nhangup.result=668");
    {
        VpnLink link;
        // The number stays the dial's, for the caller that decides on it.
        EXPECT_EQ(link.Connect(), 691u);
        EXPECT_STREQ(link.LastError(), "RasHangUp QuillMarsh Professional Trading failed error=668");
    }
    // The handle was given up all the same: destruction does not try again.
    EXPECT_EQ(CallsOf(RasCalls(), "RasHangUpA").size(), 1u);
}

TEST_F(VpnLinkTest, HangUpPollsUntilTheConnectionIsGone) {
    DWORD started = 0;
    {
        VpnLink link;
        ASSERT_EQ(link.Connect(), 0u) << link.LastError();
        Scenario("hangup.polls=3");
        ClearLogs();
        started = GetTickCount();
    }
    DWORD elapsed = GetTickCount() - started;
    std::vector<LogLine> calls = RasCalls();
    EXPECT_EQ(CallsOf(calls, "RasHangUpA").at(0).Get("result"), "0");
    EXPECT_EQ(Results(CallsOf(calls, "RasGetConnectStatusA")), (std::vector<std::string>{"0", "0", "0", "6"}));
    // Three pauses of a tenth of a second between the four queries.
    EXPECT_GE(elapsed, 250u);
}

TEST_F(VpnLinkTest, HangUpGivesUpOnAConnectionThatNeverGoes) {
    VpnLinkSettings settings;
    settings.hangUpWaitLimit = 600;
    std::vector<LogLine> polls;
    {
        VpnLink link(settings);
        ASSERT_EQ(link.Connect(), 0u) << link.LastError();
        // A reconnect hangs up first; the entry check after it is made to fail
        // so that what the hang-up left behind can be seen.
        Scenario("hangup.polls=never\nsize.result=87");
        ClearLogs();
        EXPECT_EQ(link.Reconnect(), VpnLink::kLinkFailed);
        polls = CallsOf(RasCalls(), "RasGetConnectStatusA");
        ClearLogs();
        EXPECT_FALSE(IsUp(link));
    }
    // Nothing was left to ask about or to hang up.
    EXPECT_TRUE(RasCalls().empty());
    // Judged by when the stand-in was asked, not by how long it all took: the
    // queries came a pause apart until the limit had passed, and then stopped.
    ASSERT_GE(polls.size(), 2u);
    std::vector<unsigned long long> times;
    for (const LogLine& poll : polls) times.push_back(std::stoull(poll.Get("time")));
    for (size_t i = 1; i < times.size(); ++i) EXPECT_GE(times[i] - times[i - 1], 900000ull) << "query " << i;
    EXPECT_GE(times.back() - times.front(), 5500000ull) << "asked until the limit"; // 100 ns units
    EXPECT_LE(polls.size(), 9u);
}

TEST_F(VpnLinkTest, DestructionHangsUpAConnectedLink) {
    {
        VpnLink link;
        ASSERT_EQ(link.Connect(), 0u) << link.LastError();
        EXPECT_TRUE(CallsOf(RasCalls(), "RasHangUpA").empty());
    }
    std::vector<LogLine> hangUps = CallsOf(RasCalls(), "RasHangUpA");
    ASSERT_EQ(hangUps.size(), 1u);
    EXPECT_EQ(hangUps[0].Get("conn"), DialledHandle());
    EXPECT_EQ(recorder.released.size(), 1u);
}

TEST_F(VpnLinkTest, FailedProjectionKeepsTheConnectionUntilDestruction) {
    Scenario("projection.result=5");
    {
        VpnLink link;
        EXPECT_EQ(link.Connect(), VpnLink::kLinkFailed);
        EXPECT_STREQ(link.LastError(), "RasGetProjectionInfo QuillMarsh Professional Trading failed error=5");
        EXPECT_STREQ(link.ClientAddress(), "none");
        EXPECT_STREQ(link.ServerAddress(), "none");
        EXPECT_TRUE(IsUp(link));
        EXPECT_TRUE(CallsOf(RasCalls(), "RasHangUpA").empty());
        EXPECT_TRUE(recorder.released.empty());
    }
    EXPECT_EQ(CallsOf(RasCalls(), "RasHangUpA").size(), 1u);
    EXPECT_EQ(recorder.released.size(), 1u);
    EXPECT_TRUE(recorder.created.empty());
    EXPECT_TRUE(RouteRuns().empty());
}

TEST_F(VpnLinkTest, OverlongTextsAreCutToTheirFields) {
    VpnLinkSettings settings;
    settings.serverHost = CString('h', 300);
    settings.rasUserName = CString('u', 300);
    settings.rasPassword = CString('p', 300);
    settings.rasDomain = CString('d', 40);
    {
        VpnLink link(settings);
        ASSERT_EQ(link.Connect(), 0u) << link.LastError();
    }
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

    // The stand-in refuses to store an entry under so long a name; told to
    // take it, it lets the dial show how the name is cut.
    settings = VpnLinkSettings();
    settings.entryName = CString('n', 300);
    Scenario("set.result=0");
    ClearLogs();
    VpnLink named(settings);
    named.Connect();
    EXPECT_EQ(CallsOf(RasCalls(), "RasDialA").at(0).Get("params.szEntryName"), std::string(256, 'n'));
}

} // namespace
