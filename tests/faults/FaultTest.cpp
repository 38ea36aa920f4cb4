// Faults injected into a whole login attempt: each RAS call failing (the
// shared table of them), the library or an entry point missing, and a trading
// client that crashes at once. Each time the user is told exactly what failed,
// the link is hung up before that, and every request and text is released once
// (the fixture checks the last at the end).
#include "LoginMessages.h"
#include "LoginWorker.h"
#include "LoginWorkerFixture.h"
#include "PlatformRecorder.h"

#include <gtest/gtest.h>

namespace {

class FaultTest : public LoginWorkerTest {
protected:
    void SetUp() override {
        LoginWorkerTest::SetUp();
        InstallPlatformRecorder();
    }
    void TearDown() override {
        LoginWorkerTest::TearDown();
        RemovePlatformRecorder();
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
};

// One attempt per case: the RAS stand-in cannot be loaded again into a process
// that has released it (its static runtime overflows the stack), and each test
// runs in a process of its own.
class RasFaultTest : public FaultTest, public ::testing::WithParamInterface<RasFault> {};

TEST_P(RasFaultTest, ErrorIsShownWithItsNumberAfterTheHangUp) {
    const RasFault& fault = GetParam();
    ScriptFault(fault);
    EXPECT_EQ(FailedLogin(), fault.text);
    EXPECT_EQ(ExitCodeOfWorker(0), 1u);
    if (fault.dialled) {
        ULONGLONG hungUp = HangUpCompleted();
        EXPECT_NE(hungUp, 0u);
        EXPECT_LT(hungUp, Final()->time) << "hung up before the notification";
    }
    ExpectEveryDialHungUp();
}

INSTANTIATE_TEST_SUITE_P(EachCall, RasFaultTest, ::testing::ValuesIn(kRasFaults), RasFaultName);

// --- The library ------------------------------------------------------------

TEST_F(FaultTest, MissingLibraryIsNamedWithoutANumber) {
    recorder.loadReturnsFake = true; // and the fake is no library at all
    EXPECT_EQ(FailedLogin(), "LoadLibrary rasapi32.dll");
    EXPECT_TRUE(RasCalls().empty());
}

// The last of the six, so that five were bound and must be let go with the
// library. (Each name on its own: the link's binding tests.)
TEST_F(FaultTest, MissingEntryPointIsNamedAndNothingIsCalled) {
    recorder.missingEntryPoint = "RasGetProjectionInfoA";
    EXPECT_EQ(FailedLogin(), "error loading RasGetProjectionInfoA");
    EXPECT_TRUE(RasCalls().empty()) << "nothing is called on a half-bound library";
    EXPECT_EQ(recorder.released.size(), 1u) << "the library is let go";
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
