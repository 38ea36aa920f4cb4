// A whole attempt in either mode, as the dialog sees it: which notifications
// arrive, in which order, with which texts, and how the worker ends.
#include "LoginMessages.h"
#include "LoginWorker.h"
#include "LoginWorkerFixture.h"

#include <gtest/gtest.h>

namespace {

using Messages = std::vector<UINT>;

// The client's start as the system recorded it, in 100 ns.
ULONGLONG ClientCreated(const ClientLog& log) { return std::strtoull(log.Read()["created"].c_str(), nullptr, 10); }

const char kAddresses[] = "projection.client=10.200.40.77\nprojection.server=10.200.40.1\n";
const char kStatusText[] = "Client: 10.200.40.77\r\nServer: 10.200.40.1\r\n";

// --- Login mode -------------------------------------------------------------

TEST_F(LoginWorkerTest, ClientRunningPastTheHideTimeGetsHideThenFinished) {
    ASSERT_TRUE(StartLoginWorker("jdoe", "secret", Dialog()));
    // The client runs until the hide has come, so that it can only have come
    // from the worker's timer; then it ends.
    ASSERT_TRUE(window.WaitForCount(1, kAttemptLimitMs));
    clientQuit.Signal();
    ASSERT_TRUE(window.WaitForFinal(kAttemptLimitMs));

    EXPECT_EQ(window.Messages(), (Messages{WM_LOGIN_HIDE, WM_LOGIN_FINISHED}));
    // Not before its 3.182 s; how late a busy machine lets it come is no verdict.
    double hideAfter = (window.received()[0].time - ClientCreated(log)) / 1e7;
    RecordProperty("hide_after_client_created_ms", static_cast<int>(hideAfter * 1000));
    EXPECT_GT(hideAfter, 3.0);
    EXPECT_EQ(log.Read()["arg1"], "jdoe");
    EXPECT_EQ(log.Read()["arg2"], "secret");
    EXPECT_EQ(ExitCodeOfWorker(0), 0u);
    ULONGLONG hungUp = HangUpCompleted();
    EXPECT_NE(hungUp, 0u);
    EXPECT_LT(hungUp, Final()->time) << "hung up before the final notification";
}

TEST_F(LoginWorkerTest, ClientEndingBeforeTheHideTimeGetsFinishedAlone) {
    ScopedEnvironment exitAfter("QM_CLIENT_EXIT_AFTER_MS", "0");
    ScopedEnvironment exitCode("QM_CLIENT_EXIT_CODE", "9"); // the client's own verdict is not ours
    g_loginSeams.setWaitableTimer = SetTimerAnHourLater;

    ASSERT_TRUE(StartLoginWorker("jdoe", "secret", Dialog()));
    ASSERT_TRUE(window.WaitForFinal(kAttemptLimitMs));
    window.PumpFor(100);

    EXPECT_EQ(window.Messages(), (Messages{WM_LOGIN_FINISHED}));
    EXPECT_FALSE(window.received()[0].hasText);
    EXPECT_EQ(ExitCodeOfWorker(0), 0u);
    EXPECT_EQ(g_counts.lastCreateFlags, static_cast<DWORD>(CREATE_SUSPENDED));
}

TEST_F(LoginWorkerTest, MissingClientFailsWithThePathLookedFor) {
    std::string aside = kClientPath + ".aside";
    ASSERT_TRUE(MoveFileExA(kClientPath.c_str(), aside.c_str(), MOVEFILE_REPLACE_EXISTING));

    bool started = StartLoginWorker("jdoe", "secret", Dialog());
    bool ended = window.WaitForFinal(kAttemptLimitMs);
    MoveFileExA(aside.c_str(), kClientPath.c_str(), MOVEFILE_REPLACE_EXISTING);

    ASSERT_TRUE(started);
    ASSERT_TRUE(ended);
    ASSERT_EQ(window.Messages(), (Messages{WM_LOGIN_FAILED}));
    EXPECT_EQ(window.received()[0].text, "Failed starting " + kClientPath);
    EXPECT_EQ(ExitCodeOfWorker(0), 1u);
    EXPECT_LT(HangUpCompleted(), Final()->time);
}

HANDLE WINAPI NoTimer(LPSECURITY_ATTRIBUTES, BOOL, LPCSTR) { return nullptr; }

TEST_F(LoginWorkerTest, UnsupervisedClientFailsWithAnEmptyTextAndRunsOn) {
    g_loginSeams.createWaitableTimer = NoTimer;

    ASSERT_TRUE(StartLoginWorker("jdoe", "secret", Dialog()));
    ASSERT_TRUE(window.WaitForFinal(kAttemptLimitMs));

    ASSERT_EQ(window.Messages(), (Messages{WM_LOGIN_FAILED}));
    EXPECT_TRUE(window.received()[0].hasText);
    EXPECT_EQ(window.received()[0].text, "");
    EXPECT_EQ(ExitCodeOfWorker(0), 1u);
    ASSERT_TRUE(log.WaitWritten(kAttemptLimitMs));
    HANDLE client = log.OpenClient();
    ASSERT_NE(client, nullptr);
    EXPECT_EQ(WaitForSingleObject(client, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    clientQuit.Signal();
    EXPECT_EQ(WaitForSingleObject(client, kAttemptLimitMs), WAIT_OBJECT_0);
    CloseHandle(client);
}

// Each RAS call failing; the whole attempt in login mode is the fault tests'.
class ConnectFailureTest : public LoginWorkerTest, public ::testing::WithParamInterface<RasFault> {};

TEST_P(ConnectFailureTest, DiagnosticModeGetsFailedAloneWithoutStatus) {
    ScriptFault(GetParam());

    CWinThread* worker = StartDiagnosticWorker("127.0.0.1", 1, Dialog());
    ASSERT_NE(worker, nullptr);
    ASSERT_TRUE(window.WaitForFinal(kAttemptLimitMs));
    window.PumpFor(100);

    ASSERT_EQ(window.Messages(), (Messages{WM_LOGIN_FAILED}));
    EXPECT_EQ(window.received()[0].text, GetParam().text);
    ReleaseWorker(worker);
    EXPECT_EQ(ExitCodeOfWorker(0), 1u);
}

INSTANTIATE_TEST_SUITE_P(EachStep, ConnectFailureTest, ::testing::ValuesIn(kRasFaults), RasFaultName);

// --- Diagnostic mode --------------------------------------------------------

class DiagnosticWorkerTest : public LoginWorkerTest {
protected:
    CWinThread* Start() { return StartDiagnosticWorker("127.0.0.1", probe.port(), Dialog()); }
    std::string ProbeText() const { return "CfgSvr port ping: Success on 127.0.0.1 " + std::to_string(probe.port()); }
    void ExpectReports() const {
        ASSERT_GE(window.received().size(), 3u);
        EXPECT_EQ(window.received()[0].text, kStatusText);
        EXPECT_EQ(window.received()[1].text, ProbeText());
    }

    ListeningPort probe;
};

TEST_F(DiagnosticWorkerTest, ReportsTunnelAndProbeThenWaitsUntilCancelled) {
    Scenario(kAddresses);
    ASSERT_NE(probe.port(), 0);

    CWinThread* worker = Start();
    ASSERT_NE(worker, nullptr);
    ASSERT_TRUE(window.WaitForCount(3, kAttemptLimitMs));
    window.PumpFor(300);

    EXPECT_EQ(window.Messages(), (Messages{WM_LOGIN_STATUS, WM_LOGIN_STATUS, WM_LOGIN_READY}));
    ExpectReports();
    EXPECT_EQ(WaitForSingleObject(worker->m_hThread, 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "it waits";
    EXPECT_TRUE(CallsOf(RasCalls(), "RasHangUpA").empty());

    EXPECT_TRUE(SendCancel(worker));
    ASSERT_TRUE(window.WaitForFinal(kAttemptLimitMs));
    WaitForWorkerEnd(worker);
    EXPECT_EQ(WaitForSingleObject(worker->m_hThread, 0), WAIT_OBJECT_0);
    ReleaseWorker(worker);

    ASSERT_EQ(window.Messages().size(), 4u);
    EXPECT_EQ(window.received()[3].message, static_cast<UINT>(WM_LOGIN_FAILED));
    EXPECT_EQ(window.received()[3].text, "");
    EXPECT_LT(HangUpCompleted(), Final()->time);
    EXPECT_EQ(ExitCodeOfWorker(0), 1u);
    EXPECT_FALSE(log.Exists());
}

TEST_F(DiagnosticWorkerTest, CancelPostedWhileConnectingEndsTheAttemptAfterReady) {
    Scenario(std::string(kAddresses) + "dial.delay_ms=600\n");

    CWinThread* worker = Start();
    ASSERT_NE(worker, nullptr);
    EXPECT_TRUE(SendCancel(worker));
    WaitForWorkerEnd(worker);
    ReleaseWorker(worker);
    ASSERT_TRUE(window.WaitForFinal(kAttemptLimitMs));

    EXPECT_EQ(window.Messages(), (Messages{WM_LOGIN_STATUS, WM_LOGIN_STATUS, WM_LOGIN_READY, WM_LOGIN_FAILED}));
    ExpectReports();
    EXPECT_EQ(window.received()[3].text, "");
    EXPECT_EQ(ExitCodeOfWorker(0), 1u);
}

TEST_F(DiagnosticWorkerTest, CredentialsPostedWhileConnectingAreTakenAtOnce) {
    Scenario(std::string(kAddresses) + "dial.delay_ms=600\n");
    ScopedEnvironment exitAfter("QM_CLIENT_EXIT_AFTER_MS", "0");

    CWinThread* worker = Start();
    ASSERT_NE(worker, nullptr);
    EXPECT_TRUE(SendCredentials(worker, "jdoe", "early bird"));
    ReleaseWorker(worker); // as the dialog does: the worker goes on regardless
    ASSERT_TRUE(window.WaitForFinal(kAttemptLimitMs));

    EXPECT_EQ(window.Messages(), (Messages{WM_LOGIN_STATUS, WM_LOGIN_STATUS, WM_LOGIN_READY, WM_LOGIN_FINISHED}));
    ExpectReports();
    auto logged = log.Read();
    EXPECT_EQ(logged["commandLine"], "\"" + kClientPath + "\" jdoe early bird");
    // Taken at once: nothing was sent after them, yet the client ran with them.
    EXPECT_EQ(ExitCodeOfWorker(0), 0u);
}

TEST_F(DiagnosticWorkerTest, CredentialsAfterReadyRunTheClientThroughHideToFinished) {
    Scenario(kAddresses);

    CWinThread* worker = Start();
    ASSERT_NE(worker, nullptr);
    ASSERT_TRUE(window.WaitForCount(3, kAttemptLimitMs));
    EXPECT_TRUE(SendCredentials(worker, "jdoe", "secret"));
    ReleaseWorker(worker);
    // The client ends once the hide has come.
    ASSERT_TRUE(window.WaitForCount(4, kAttemptLimitMs));
    clientQuit.Signal();
    ASSERT_TRUE(window.WaitForFinal(kAttemptLimitMs));

    EXPECT_EQ(window.Messages(),
              (Messages{WM_LOGIN_STATUS, WM_LOGIN_STATUS, WM_LOGIN_READY, WM_LOGIN_HIDE, WM_LOGIN_FINISHED}));
    EXPECT_EQ(ExitCodeOfWorker(0), 0u);
    EXPECT_LT(HangUpCompleted(), Final()->time);
}

TEST_F(DiagnosticWorkerTest, EmptyCredentialsStartTheClientWithTwoBlanks) {
    Scenario(kAddresses);
    ScopedEnvironment exitAfter("QM_CLIENT_EXIT_AFTER_MS", "0");

    CWinThread* worker = Start();
    ASSERT_NE(worker, nullptr);
    ASSERT_TRUE(window.WaitForCount(3, kAttemptLimitMs));
    EXPECT_TRUE(SendCredentials(worker, "", ""));
    ReleaseWorker(worker);
    ASSERT_TRUE(window.WaitForFinal(kAttemptLimitMs));

    EXPECT_EQ(window.Messages().back(), static_cast<UINT>(WM_LOGIN_FINISHED));
    EXPECT_EQ(log.Read()["commandLine"], "\"" + kClientPath + "\"  ");
}

// The worker's record may be used after the worker has failed and ended, in the
// moment before the dialog has handled the failure.
TEST_F(DiagnosticWorkerTest, RecordStaysUsableAfterTheWorkerHasEnded) {
    Scenario("dial.result=691");

    CWinThread* worker = Start();
    ASSERT_NE(worker, nullptr);
    ASSERT_TRUE(WorkersEnded(kAttemptLimitMs));
    Sleep(50); // let the framework's own record go

    EXPECT_TRUE(SendCredentials(worker, "jdoe", "secret")) << "reported as sent, as the dialog expects";
    EXPECT_FALSE(SendCancel(worker));
    WaitForWorkerEnd(worker);
    EXPECT_EQ(WaitForSingleObject(worker->m_hThread, 0), WAIT_OBJECT_0);
    ReleaseWorker(worker);
    window.PumpFor(100);

    EXPECT_EQ(window.Messages(), (Messages{WM_LOGIN_FAILED}));
    EXPECT_EQ(g_counts.requestsMade, 2);
    EXPECT_EQ(g_counts.requestsDeleted, 2) << "the undelivered credentials are released";
}

// Login pressed while the connection is failing: the credentials reach a queue
// that will never be read.
TEST_F(DiagnosticWorkerTest, CredentialsForAWorkerWhoseConnectionFailsAreReleased) {
    Scenario("dial.result=691\ndial.delay_ms=600\n");

    CWinThread* worker = Start();
    ASSERT_NE(worker, nullptr);
    EXPECT_TRUE(SendCredentials(worker, "jdoe", "secret"));
    ReleaseWorker(worker);
    ASSERT_TRUE(window.WaitForFinal(kAttemptLimitMs));
    ASSERT_TRUE(WorkersEnded(kAttemptLimitMs));

    EXPECT_EQ(window.Messages(), (Messages{WM_LOGIN_FAILED}));
    EXPECT_EQ(g_counts.requestsMade, 2);
    EXPECT_EQ(g_counts.requestsDeleted, 2);
    EXPECT_FALSE(log.Exists());
}

// The worker may stop reading between its last look for credentials and its
// thread's end, when their post still succeeds: the system would drop them
// with the queue, so they wait in the drop for whoever holds them last.
TEST_F(LoginWorkerTest, CredentialsLeftForAWorkerThatReadsNoMoreAreReleasedByWhoeverHoldsThemLast) {
    CredentialsDrop* drop = CredentialsDrop::Create();
    ASSERT_NE(drop, nullptr);
    EXPECT_TRUE(drop->Put(g_loginSeams.newRequest()));
    drop->Close();
    EXPECT_EQ(g_counts.requestsDeleted, 1) << "left before the worker stopped reading";
    EXPECT_FALSE(drop->Put(g_loginSeams.newRequest()));
    EXPECT_EQ(g_counts.requestsDeleted, 2) << "left after it";
    EXPECT_EQ(drop->Take(), nullptr);
    drop->Release();
    EXPECT_EQ(g_counts.requestsMade, 2);
}

TEST_F(DiagnosticWorkerTest, SendCredentialsWithoutMemoryPostsNothing) {
    Scenario(kAddresses);

    CWinThread* worker = Start();
    ASSERT_NE(worker, nullptr);
    ASSERT_TRUE(window.WaitForCount(3, kAttemptLimitMs));
    g_counts.failRequest = true;
    EXPECT_FALSE(SendCredentials(worker, "jdoe", "secret"));
    window.PumpFor(200);
    EXPECT_EQ(WaitForSingleObject(worker->m_hThread, 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "still waiting";

    EXPECT_TRUE(SendCancel(worker));
    WaitForWorkerEnd(worker);
    ReleaseWorker(worker);
    ASSERT_TRUE(window.WaitForFinal(kAttemptLimitMs));
    EXPECT_EQ(window.Messages().back(), static_cast<UINT>(WM_LOGIN_FAILED));
    EXPECT_FALSE(log.Exists());
}

// --- Payloads ---------------------------------------------------------------

TEST_F(DiagnosticWorkerTest, TextsThatCannotBeCopiedArriveAsNull) {
    Scenario(kAddresses);
    g_counts.failText = true;

    CWinThread* worker = Start();
    ASSERT_NE(worker, nullptr);
    ASSERT_TRUE(window.WaitForCount(3, kAttemptLimitMs));
    SendCancel(worker);
    WaitForWorkerEnd(worker);
    ReleaseWorker(worker);
    ASSERT_TRUE(window.WaitForFinal(kAttemptLimitMs));

    ASSERT_EQ(window.Messages(), (Messages{WM_LOGIN_STATUS, WM_LOGIN_STATUS, WM_LOGIN_READY, WM_LOGIN_FAILED}));
    for (const Notification& note : window.received()) EXPECT_FALSE(note.hasText);
}

TEST_F(DiagnosticWorkerTest, TextsForADialogThatIsGoneAreReleasedByTheWorker) {
    Scenario(std::string(kAddresses) + "dial.delay_ms=300\n");
    // Gone before the worker starts, so that none of its posts can reach it
    // however the threads are scheduled.
    HWND gone;
    {
        NotificationWindow window;
        gone = window.handle();
    }
    CWinThread* worker = StartDiagnosticWorker("127.0.0.1", probe.port(), CWnd::FromHandle(gone));
    ASSERT_NE(worker, nullptr);
    SendCancel(worker);
    WaitForWorkerEnd(worker);
    ReleaseWorker(worker);

    EXPECT_EQ(g_counts.textsMade, 3); // two statuses and the failure
    EXPECT_EQ(g_counts.textsReleasedByWorker, 3);
}

// --- Starters ---------------------------------------------------------------

enum class StartFault { Event, Request, Thread };

std::string StartFaultName(const ::testing::TestParamInfo<StartFault>& info) {
    static const char* const names[] = {"Event", "Request", "Thread"};
    return names[static_cast<int>(info.param)];
}

class StarterFailureTest : public LoginWorkerTest, public ::testing::WithParamInterface<StartFault> {
protected:
    void Arrange() {
        g_counts.failEvent = GetParam() == StartFault::Event;
        g_counts.failRequest = GetParam() == StartFault::Request;
        g_counts.failThread = GetParam() == StartFault::Thread;
    }
    void ExpectNothingLeft() {
        EXPECT_EQ(g_counts.requestsMade, g_counts.requestsDeleted);
        for (HANDLE event : g_counts.events) {
            DWORD flags;
            EXPECT_FALSE(GetHandleInformation(event, &flags)) << "the ready event is closed";
        }
        EXPECT_TRUE(g_counts.threads.empty());
        EXPECT_EQ(g_counts.threadsBegun, GetParam() == StartFault::Thread ? 1 : 0);
        window.PumpFor(100);
        EXPECT_TRUE(window.received().empty());
    }
};

TEST_P(StarterFailureTest, LoginStarterReportsFalseAndLeavesNothing) {
    Arrange();
    EXPECT_FALSE(StartLoginWorker("jdoe", "secret", Dialog()));
    ExpectNothingLeft();
}

TEST_P(StarterFailureTest, DiagnosticStarterReportsNullAndLeavesNothing) {
    Arrange();
    EXPECT_EQ(StartDiagnosticWorker("127.0.0.1", 1, Dialog()), nullptr);
    ExpectNothingLeft();
}

INSTANTIATE_TEST_SUITE_P(EachStep, StarterFailureTest,
                         ::testing::Values(StartFault::Event, StartFault::Request, StartFault::Thread), StartFaultName);

} // namespace
