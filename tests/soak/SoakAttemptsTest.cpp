// Many diagnostic attempts in one process, as a long day of F8 presses would
// make them: ones whose dial fails and ones that connect and are cancelled.
// Nothing the attempts obtain may stay behind: handles, GDI objects, windows,
// private memory, and every request and text that travelled between the threads.
#include "LoginMessages.h"
#include "LoginWorker.h"
#include "LoginWorkerFixture.h"
#include "SoakRounds.h"
#include "StandinFixture.h"

#include <CWnd.h>

#include <gtest/gtest.h>

namespace {

// Nothing listens on port 1 of the loopback address: the probe is refused at once.
const unsigned short kRefusedPort = 1;

class AttemptSoakTest : public StandinFixture {
protected:
    void SetUp() override {
        StandinFixture::SetUp();
        // The RAS stand-in cannot be loaded a second time into a process that
        // has released it (its static runtime recurses in its lock code until
        // the stack overflows), so the test holds it for the whole run: each
        // attempt's load and release then only count up and down. Windows' own
        // library has no such trouble.
        m_pinnedRas = LoadLibraryA("rasapi32.dll");
        ASSERT_NE(m_pinnedRas, nullptr);
        m_saved = g_loginSeams;
        g_counts = WorkerCounts();
        CountRequestsAndTexts();
    }
    void TearDown() override {
        g_loginSeams = m_saved;
        g_counts = WorkerCounts();
        if (m_pinnedRas) FreeLibrary(m_pinnedRas);
        StandinFixture::TearDown();
    }

    CWinThread* Start() { return StartDiagnosticWorker("127.0.0.1", kRefusedPort, CWnd::FromHandle(window.handle())); }

    // The link refuses the dial at once; the worker reports the failure and ends.
    void FailedAttempt() {
        Scenario("dial.result=691");
        long finals = window.Finals();
        CWinThread* worker = Start();
        ASSERT_NE(worker, nullptr);
        ASSERT_TRUE(window.WaitForFinals(finals + 1, kAttemptLimitMs)) << "no final notification";
        ASSERT_EQ(WaitForSingleObject(worker->m_hThread, kAttemptLimitMs), WAIT_OBJECT_0);
        WaitForWorkerEnd(worker);
        ReleaseWorker(worker);
    }

    // The link comes up, the worker reports and waits, and the dialog goes away.
    void CancelledAttempt() {
        Scenario("");
        long readies = window.Readies(), finals = window.Finals();
        CWinThread* worker = Start();
        ASSERT_NE(worker, nullptr);
        ASSERT_TRUE(window.WaitForReadies(readies + 1, kAttemptLimitMs)) << "never ready";
        EXPECT_TRUE(SendCancel(worker));
        ASSERT_EQ(WaitForSingleObject(worker->m_hThread, kAttemptLimitMs), WAIT_OBJECT_0);
        WaitForWorkerEnd(worker);
        ReleaseWorker(worker);
        ASSERT_TRUE(window.WaitForFinals(finals + 1, kAttemptLimitMs)) << "no final notification";
    }

    // Many attempts: the window only counts.
    NotificationWindow window{false};
    LoginSeams m_saved;
    HMODULE m_pinnedRas = nullptr;
};

TEST_F(AttemptSoakTest, FailedAndCancelledDiagnosticAttemptsLeaveNothingBehind) {
    // 20 of each kind here, 200 in the full soak.
    const SoakSize size = ChooseSoakSize({4, 5}, {10, 20});
    std::vector<ProcessResources> afterRound;
    for (int round = 0; round < size.rounds; ++round) {
        for (int i = 0; i < size.perRound; ++i) {
            ASSERT_NO_FATAL_FAILURE(FailedAttempt());
            ASSERT_NO_FATAL_FAILURE(CancelledAttempt());
        }
        // Let the libraries and the process's own threads settle before counting.
        Sleep(100);
        afterRound.push_back(MeasureThisProcess());
    }
    ExpectNoGrowth("attempts", afterRound, {4, 2, 0, 256 * 1024});

    const long attempts = 2L * size.rounds * size.perRound;
    EXPECT_EQ(window.Finals(), attempts);
    EXPECT_EQ(window.NullTexts(), 0);
    EXPECT_EQ(g_counts.requestsMade, attempts);
    EXPECT_EQ(g_counts.requestsDeleted, g_counts.requestsMade);
    EXPECT_EQ(g_counts.textsMade, g_counts.textsReleasedByWorker + window.TextsFreed());
    EXPECT_EQ(g_counts.textsReleasedByWorker, 0) << "every text reached the window";

    // Every dial handed back a handle, and every one of them was hung up until
    // RAS reported it gone.
    std::vector<LogLine> calls = RasCalls();
    size_t dials = CallsOf(calls, "RasDialA").size();
    size_t gone = 0;
    for (const LogLine& line : CallsOf(calls, "RasGetConnectStatusA"))
        if (line.Get("result") == "6") ++gone;
    EXPECT_EQ(dials, static_cast<size_t>(attempts));
    EXPECT_EQ(CallsOf(calls, "RasHangUpA").size(), dials);
    EXPECT_EQ(gone, dials);
}

} // namespace
