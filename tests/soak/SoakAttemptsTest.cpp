// Many diagnostic attempts in one process, as a long day of F8 presses would
// make them: ones whose dial fails and ones that connect and are cancelled.
// Nothing the attempts obtain may stay behind: handles, GDI objects, windows,
// private memory, and every request and text that travelled between the threads.
#include "LoginMessages.h"
#include "LoginWorker.h"
#include "SoakRounds.h"
#include "StandinFixture.h"

#include <CWnd.h>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

struct PayloadCounts {
    LONG requestsMade;
    LONG requestsDeleted;
    LONG textsMade;
    LONG textsFreedByWorker;
};

PayloadCounts g_payloads;

LoginRequest* CountedNewRequest() {
    InterlockedIncrement(&g_payloads.requestsMade);
    return new LoginRequest;
}

void CountedDeleteRequest(LoginRequest* request) {
    InterlockedIncrement(&g_payloads.requestsDeleted);
    delete request;
}

void* CountedAllocText(size_t size) {
    InterlockedIncrement(&g_payloads.textsMade);
    return std::malloc(size);
}

void CountedFreeText(void* text) {
    InterlockedIncrement(&g_payloads.textsFreedByWorker);
    std::free(text);
}

// Takes the dialog's place and keeps nothing: it frees each text as the dialog
// does and only counts, so that its own bookkeeping cannot look like a leak.
class CountingWindow {
public:
    CountingWindow() {
        WNDCLASSA type = {};
        type.lpfnWndProc = Procedure;
        type.hInstance = GetModuleHandleA(nullptr);
        type.lpszClassName = "QmSoakDialog";
        RegisterClassA(&type);
        m_window =
            CreateWindowExA(0, type.lpszClassName, "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, type.hInstance, nullptr);
        SetWindowLongPtrA(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~CountingWindow() { DestroyWindow(m_window); }

    HWND handle() const { return m_window; }
    long readies = 0;
    long finals = 0;
    long textsFreed = 0;
    long nullTexts = 0;

    // Pumps until `counter` reaches `value`; false when the time is up.
    bool PumpUntil(const long& counter, long value, DWORD timeoutMs) {
        DWORD start = GetTickCount();
        while (counter < value) {
            if (GetTickCount() - start >= timeoutMs) return false;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
            MSG message;
            while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
        }
        return true;
    }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<CountingWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (self && (message == WM_LOGIN_STATUS || message == WM_LOGIN_FAILED)) {
            if (lParam) {
                std::free(reinterpret_cast<void*>(lParam));
                ++self->textsFreed;
            } else {
                ++self->nullTexts;
            }
        }
        if (self && message == WM_LOGIN_READY) ++self->readies;
        if (self && (message == WM_LOGIN_FAILED || message == WM_LOGIN_FINISHED)) ++self->finals;
        return DefWindowProcA(window, message, wParam, lParam);
    }

    HWND m_window;
};

const DWORD kAttemptLimitMs = 20000;
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
        g_payloads = PayloadCounts();
        g_loginSeams.newRequest = CountedNewRequest;
        g_loginSeams.deleteRequest = CountedDeleteRequest;
        g_loginSeams.allocText = CountedAllocText;
        g_loginSeams.freeText = CountedFreeText;
    }
    void TearDown() override {
        g_loginSeams = m_saved;
        if (m_pinnedRas) FreeLibrary(m_pinnedRas);
        StandinFixture::TearDown();
    }

    CWinThread* Start() { return StartDiagnosticWorker("127.0.0.1", kRefusedPort, CWnd::FromHandle(window.handle())); }

    // The link refuses the dial at once; the worker reports the failure and ends.
    void FailedAttempt() {
        Scenario("dial.result=691");
        long finals = window.finals;
        CWinThread* worker = Start();
        ASSERT_NE(worker, nullptr);
        ASSERT_TRUE(window.PumpUntil(window.finals, finals + 1, kAttemptLimitMs)) << "no final notification";
        ASSERT_EQ(WaitForSingleObject(worker->m_hThread, kAttemptLimitMs), WAIT_OBJECT_0);
        WaitForWorkerEnd(worker);
        ReleaseWorker(worker);
    }

    // The link comes up, the worker reports and waits, and the dialog goes away.
    void CancelledAttempt() {
        Scenario("");
        long readies = window.readies, finals = window.finals;
        CWinThread* worker = Start();
        ASSERT_NE(worker, nullptr);
        ASSERT_TRUE(window.PumpUntil(window.readies, readies + 1, kAttemptLimitMs)) << "never ready";
        EXPECT_TRUE(SendCancel(worker));
        ASSERT_EQ(WaitForSingleObject(worker->m_hThread, kAttemptLimitMs), WAIT_OBJECT_0);
        WaitForWorkerEnd(worker);
        ReleaseWorker(worker);
        ASSERT_TRUE(window.PumpUntil(window.finals, finals + 1, kAttemptLimitMs)) << "no final notification";
    }

    CountingWindow window;
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
    EXPECT_EQ(window.finals, attempts);
    EXPECT_EQ(window.nullTexts, 0);
    EXPECT_EQ(g_payloads.requestsMade, attempts);
    EXPECT_EQ(g_payloads.requestsDeleted, g_payloads.requestsMade);
    EXPECT_EQ(g_payloads.textsMade, g_payloads.textsFreedByWorker + window.textsFreed);
    EXPECT_EQ(g_payloads.textsFreedByWorker, 0) << "every text reached the window";

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
