// Launch and supervision of the trading client, run on the test's own thread
// against the client stand-in installed under the system's Program Files folder.
#include "LoginMessages.h"
#include "LoginWorker.h"
#include "LoginTestSupport.h"
#include "RunTradingClient.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <cstring>

namespace {

class RunTradingClientTest : public ::testing::Test {
protected:
    void SetUp() override { m_savedSeams = g_loginSeams; }
    void TearDown() override { g_loginSeams = m_savedSeams; }

    ClientOutcome Run(const char* user, const char* password) {
        CString userName(user);
        CString secret(password);
        ClientOutcome outcome = RunTradingClient(userName, secret, window.handle(), errorText);
        passwordAfterRun = secret.GetString();
        return outcome;
    }

    NotificationWindow window;
    ClientLog log;
    ScopedEnvironment logEnvironment{"QM_CLIENT_LOG", log.path()};
    ScopedEnvironment hidden{"QM_CLIENT_HIDDEN", "1"};
    CString errorText;
    std::string passwordAfterRun;
    LoginSeams m_savedSeams;
};

const std::string kClientFolder = ProgramFilesFolder() + "\\QuillMarsh";

TEST_F(RunTradingClientTest, StartsClientInItsFolderWithNameAndPasswordUnquoted) {
    ScopedEnvironment exitCode("QM_CLIENT_EXIT_CODE", "3");
    ScopedEnvironment exitAfter("QM_CLIENT_EXIT_AFTER_MS", "0");
    g_loginSeams.setWaitableTimer = SetTimerAnHourLater;

    EXPECT_EQ(Run("jdoe", "pass word  with blanks"), ClientOutcome::ClientExited);

    ASSERT_TRUE(log.Exists());
    auto logged = log.Read();
    EXPECT_EQ(logged["commandLine"], "\"" + InstalledClientPath() + "\" jdoe pass word  with blanks");
    EXPECT_EQ(logged["currentDirectory"], kClientFolder);
    // Unquoted, the password reaches the client as several words.
    EXPECT_EQ(logged["argc"], "6");
    EXPECT_EQ(logged["arg1"], "jdoe");
    EXPECT_EQ(logged["arg2"], "pass");
    EXPECT_EQ(logged["arg5"], "blanks");
    EXPECT_TRUE(errorText.IsEmpty());
    EXPECT_EQ(passwordAfterRun, "");
    window.PumpFor(50);
    EXPECT_TRUE(window.received().empty()) << "a client that ends at once leaves the dialog shown";
}

TEST_F(RunTradingClientTest, EmptyCredentialsLeaveTwoBlanksAfterThePath) {
    ScopedEnvironment exitAfter("QM_CLIENT_EXIT_AFTER_MS", "0");

    EXPECT_EQ(Run("", ""), ClientOutcome::ClientExited);

    EXPECT_EQ(log.Read()["commandLine"], "\"" + InstalledClientPath() + "\"  ");
}

HRESULT WINAPI FolderLookupFails(HWND, int, HANDLE, DWORD, LPSTR path) {
    lstrcpyA(path, "Z:\\not here"); // whatever a failing lookup leaves must not be used
    return E_FAIL;
}

TEST_F(RunTradingClientTest, FailedFolderLookupFallsBackToProgramFilesOnDriveC) {
    ScopedEnvironment exitAfter("QM_CLIENT_EXIT_AFTER_MS", "0");
    g_loginSeams.getFolderPath = FolderLookupFails;
    const std::string fallback = "C:\\Program Files\\QuillMarsh\\QuillMarsh.exe";

    ClientOutcome outcome = Run("jdoe", "secret");

    // On 64-bit Windows our client sits under Program Files (x86), so the
    // fallback, the same on both, looks where there is none.
    if (lstrcmpiA(InstalledClientPath().c_str(), fallback.c_str()) == 0) {
        EXPECT_EQ(outcome, ClientOutcome::ClientExited);
        auto logged = log.Read();
        EXPECT_EQ(logged["currentDirectory"], kClientFolder);
        EXPECT_EQ(logged["arg0"], InstalledClientPath());
    } else {
        EXPECT_EQ(outcome, ClientOutcome::ClientNotStarted);
        EXPECT_EQ(std::string(errorText.GetString()), "Failed starting " + fallback);
        EXPECT_FALSE(log.Exists());
    }
}

char g_lookedUpFolder[MAX_PATH];

HRESULT WINAPI FolderLookupGivesTempFolder(HWND, int folder, HANDLE, DWORD, LPSTR path) {
    EXPECT_EQ(folder, CSIDL_PROGRAM_FILES);
    lstrcpyA(path, g_lookedUpFolder);
    return S_OK;
}

TEST_F(RunTradingClientTest, MissingClientIsReportedWithThePathLookedFor) {
    GetTempPathA(MAX_PATH, g_lookedUpFolder);
    g_lookedUpFolder[std::strlen(g_lookedUpFolder) - 1] = 0; // the system gives no trailing backslash
    g_loginSeams.getFolderPath = FolderLookupGivesTempFolder;

    EXPECT_EQ(Run("jdoe", "secret"), ClientOutcome::ClientNotStarted);

    EXPECT_EQ(std::string(errorText),
              std::string("Failed starting ") + g_lookedUpFolder + "\\QuillMarsh\\QuillMarsh.exe");
    EXPECT_EQ(passwordAfterRun, "");
    EXPECT_FALSE(log.Exists());
}

TEST_F(RunTradingClientTest, MissingClientUnderTheRealProgramFiles) {
    std::string installed = InstalledClientPath();
    std::string aside = installed + ".aside";
    ASSERT_TRUE(MoveFileExA(installed.c_str(), aside.c_str(), MOVEFILE_REPLACE_EXISTING));

    ClientOutcome outcome = Run("jdoe", "secret");
    MoveFileExA(aside.c_str(), installed.c_str(), MOVEFILE_REPLACE_EXISTING);

    EXPECT_EQ(outcome, ClientOutcome::ClientNotStarted);
    EXPECT_EQ(std::string(errorText), "Failed starting " + installed);
}

// Which timer call fails in a run without supervision.
enum class TimerFault { HideNotCreated, SecondNotCreated, HideNotArmed, SecondNotArmed };

int g_timersCreated;
int g_timersArmed;
TimerFault g_fault;

HANDLE WINAPI CreateTimerWithFault(LPSECURITY_ATTRIBUTES security, BOOL manualReset, LPCSTR name) {
    int index = g_timersCreated++;
    if ((index == 0 && g_fault == TimerFault::HideNotCreated) ||
        (index == 1 && g_fault == TimerFault::SecondNotCreated))
        return nullptr;
    return CreateWaitableTimerA(security, manualReset, name);
}

BOOL WINAPI SetTimerWithFault(HANDLE timer, const LARGE_INTEGER* due, LONG period, PTIMERAPCROUTINE routine,
                              LPVOID argument, BOOL resume) {
    int index = g_timersArmed++;
    if ((index == 0 && g_fault == TimerFault::HideNotArmed) || (index == 1 && g_fault == TimerFault::SecondNotArmed))
        return FALSE;
    return SetWaitableTimer(timer, due, period, routine, argument, resume);
}

std::string TimerFaultName(const ::testing::TestParamInfo<TimerFault>& info) {
    static const char* const names[] = {"HideNotCreated", "SecondNotCreated", "HideNotArmed", "SecondNotArmed"};
    return names[static_cast<int>(info.param)];
}

class UnsupervisedClientTest : public RunTradingClientTest, public ::testing::WithParamInterface<TimerFault> {};

TEST_P(UnsupervisedClientTest, ReturnsAtOnceAndLeavesTheClientRunning) {
    // However the test ends, the client it left running is told to go, so that
    // it holds no pipe of this program open after it.
    ClientQuitEvent quit;
    g_timersCreated = g_timersArmed = 0;
    g_fault = GetParam();
    g_loginSeams.createWaitableTimer = CreateTimerWithFault;
    g_loginSeams.setWaitableTimer = SetTimerWithFault;

    // At once: it returns while the client runs, before any hide time.
    EXPECT_EQ(Run("jdoe", "secret"), ClientOutcome::ClientUnsupervised);
    EXPECT_TRUE(errorText.IsEmpty());
    EXPECT_EQ(passwordAfterRun, "");
    EXPECT_LE(g_timersArmed, 2);

    ASSERT_TRUE(log.WaitWritten(kAttemptLimitMs));
    HANDLE client = log.OpenClient();
    ASSERT_NE(client, nullptr);
    EXPECT_EQ(WaitForSingleObject(client, 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "the client goes on running";
    quit.Signal();
    EXPECT_EQ(WaitForSingleObject(client, kAttemptLimitMs), WAIT_OBJECT_0);
    CloseHandle(client);
    window.PumpFor(50);
    EXPECT_TRUE(window.received().empty());
}

INSTANTIATE_TEST_SUITE_P(EachTimerCall, UnsupervisedClientTest,
                         ::testing::Values(TimerFault::HideNotCreated, TimerFault::SecondNotCreated,
                                           TimerFault::HideNotArmed, TimerFault::SecondNotArmed),
                         TimerFaultName);

int g_apcsRun;

void CALLBACK CountApc(ULONG_PTR) { ++g_apcsRun; }

TEST_F(RunTradingClientTest, AsynchronousCallDuringTheWaitOnlyResumesIt) {
    ScopedEnvironment exitAfter("QM_CLIENT_EXIT_AFTER_MS", "300");
    g_apcsRun = 0;
    ASSERT_TRUE(QueueUserAPC(CountApc, GetCurrentThread(), 0));

    EXPECT_EQ(Run("jdoe", "secret"), ClientOutcome::ClientExited);

    EXPECT_EQ(g_apcsRun, 1);
    ASSERT_TRUE(log.Exists());
}

} // namespace
