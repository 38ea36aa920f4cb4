// Faults injected into a whole login attempt: each RAS call failing with the
// errors the gateway gives most (691 refused credentials, 800 no tunnel, 868
// unknown host) and with the link's own ones, the library or an entry point
// missing, and a trading client that crashes at once. Each time the user is
// told exactly what failed, the link is hung up before that, and every request
// and text is released once (the fixture checks the last at the end).
#include "LoginMessages.h"
#include "LoginWorker.h"
#include "LoginWorkerFixture.h"
#include "VpnPlatformCalls.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

const char kEntry[] = "QuillMarsh Professional Trading";

class FaultTest : public LoginWorkerTest {
protected:
    void TearDown() override {
        LoginWorkerTest::TearDown();
        g_vpnSeams = kRealVpnSeams;
    }

    // One login-mode attempt; the text of its one notification, which must be
    // a failure, and no client started.
    std::string FailedLogin() {
        size_t before = window.received().size();
        EXPECT_TRUE(StartLoginWorker("jdoe", "secret", Dialog()));
        EXPECT_TRUE(window.WaitForCount(before + 1, kAttemptLimitMs));
        EXPECT_TRUE(WorkersEnded(kAttemptLimitMs));
        window.PumpFor(50);
        EXPECT_EQ(window.received().size(), before + 1) << "one notification only";
        if (window.received().size() <= before) return "(none)";
        const Notification& note = window.received()[before];
        EXPECT_EQ(note.message, static_cast<UINT>(WM_LOGIN_FAILED));
        EXPECT_FALSE(log.Exists()) << "the client is not started";
        return note.text;
    }

    // Every handle a dial gave back was hung up until RAS reported it gone.
    void ExpectEveryDialHungUp() {
        std::vector<LogLine> calls = RasCalls();
        size_t handed = 0, gone = 0;
        for (const LogLine& dial : CallsOf(calls, "RasDialA"))
            if (dial.Get("conn") != "0" && !dial.Get("conn").empty()) ++handed;
        for (const LogLine& status : CallsOf(calls, "RasGetConnectStatusA"))
            if (status.Get("result") == "6") ++gone;
        EXPECT_EQ(CallsOf(calls, "RasHangUpA").size(), handed);
        EXPECT_EQ(gone, handed);
    }
};

// One attempt per case: the RAS stand-in cannot be loaded again into a process
// that has released it (its static runtime overflows the stack), and each test
// runs in a process of its own.
struct RasFault {
    const char* name;
    const char* scenario;  // the failing call's key and "="; the number follows
    const char* seed;      // a stored entry first, so that it is read back
    const char* operation; // the text before the entry name; empty: the dial's 691 stays
    int error;
};

void PrintTo(const RasFault& fault, std::ostream* out) { *out << fault.name; }

class RasFaultTest : public FaultTest, public ::testing::WithParamInterface<RasFault> {};

TEST_P(RasFaultTest, ErrorIsShownWithItsNumberAfterTheHangUp) {
    const RasFault& fault = GetParam();
    if (fault.seed) SeedEntry(kEntryName, {{"szLocalPhoneNumber", fault.seed}, {"dwfOptions", "6664"}});
    Scenario(std::string(fault.scenario) + std::to_string(fault.error));
    std::string expected =
        *fault.operation ? std::string(fault.operation) + " " + kEntry + " failed error=" + std::to_string(fault.error)
                         : std::string("RasDial ") + kEntry + " failed error=691";
    EXPECT_EQ(FailedLogin(), expected);
    ExpectEveryDialHungUp();
}

INSTANTIATE_TEST_SUITE_P(
    EachCall, RasFaultTest,
    ::testing::Values(
        RasFault{"SizeQuery800", "size.result=", nullptr, "RasGetEntryProperties (size)", 800},
        RasFault{"Read868", "get.result=", "vpn.quillmarsh-holdings.com", "RasGetEntryProperties (get)", 868},
        RasFault{"Write691", "set.result=", nullptr, "RasSetEntryProperties", 691},
        RasFault{"Dial691", "dial.result=", nullptr, "RasDial", 691},
        RasFault{"Dial800", "dial.result=", nullptr, "RasDial", 800},
        RasFault{"Dial868", "dial.result=", nullptr, "RasDial", 868},
        RasFault{"HangUpAfterAFailedDial800", "dial.result=691\nhangup.result=", nullptr, "RasHangUp", 800},
        RasFault{"StatusWhileHangingUp868", "dial.result=691\nstatus.result=", nullptr, "", 868},
        RasFault{"Projection691", "projection.result=", nullptr, "RasGetProjectionInfo", 691}),
    [](const ::testing::TestParamInfo<RasFault>& info) { return std::string(info.param.name); });

// --- The library ------------------------------------------------------------

HMODULE WINAPI NoLibrary(LPCSTR) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
}

const char* g_missingEntryPoint = nullptr;

FARPROC WINAPI WithoutOneEntryPoint(HMODULE module, LPCSTR name) {
    if (HIWORD(name) && std::strcmp(name, g_missingEntryPoint) == 0) return nullptr;
    return kRealVpnSeams.getProcAddress(module, name);
}

TEST_F(FaultTest, MissingLibraryIsNamedWithoutANumber) {
    g_vpnSeams.loadLibrary = NoLibrary;
    EXPECT_EQ(FailedLogin(), "LoadLibrary rasapi32.dll");
    EXPECT_TRUE(RasCalls().empty());
}

// The last of the six, so that five were bound and must be let go with the
// library. (Each name on its own: the link's binding tests.)
TEST_F(FaultTest, MissingEntryPointIsNamedAndNothingIsCalled) {
    g_vpnSeams.getProcAddress = WithoutOneEntryPoint;
    g_missingEntryPoint = "RasGetProjectionInfoA";
    EXPECT_EQ(FailedLogin(), "error loading RasGetProjectionInfoA");
    EXPECT_TRUE(RasCalls().empty()) << "nothing is called on a half-bound library";
}

// --- The client -------------------------------------------------------------

// A client that crashes at once is still a client that ran and ended: the
// attempt finishes normally, after the hang-up.
TEST_F(FaultTest, ClientCrashingAtOnceEndsTheAttemptAfterTheHangUp) {
    ScopedEnvironment exitAfter("QM_CLIENT_EXIT_AFTER_MS", "0");
    ScopedEnvironment exitCode("QM_CLIENT_EXIT_CODE", "0xC0000005");
    g_loginSeams.setWaitableTimer = SetTimerAnHourLater;

    ASSERT_TRUE(StartLoginWorker("jdoe", "secret", Dialog()));
    ASSERT_TRUE(window.WaitForFinal(kAttemptLimitMs));
    window.PumpFor(100);

    EXPECT_EQ(window.Messages(), (std::vector<UINT>{WM_LOGIN_FINISHED}));
    EXPECT_TRUE(log.WaitWritten(1000)) << "the client did run";
    ULONGLONG hungUp = HangUpCompleted();
    EXPECT_NE(hungUp, 0u);
    EXPECT_LT(hungUp, Final()->time);
    ExpectEveryDialHungUp();
}

} // namespace
