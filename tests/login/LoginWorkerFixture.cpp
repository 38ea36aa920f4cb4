#include "LoginWorkerFixture.h"

#include "LoginMessages.h"

#include <CWinThread.h>

#include <cstdlib>

WorkerCounts g_counts;

const char kEntryName[] = "QuillMarsh Professional Trading";
const std::string kClientPath = InstalledClientPath();

namespace {

HANDLE WINAPI CountingCreateEvent(LPSECURITY_ATTRIBUTES security, BOOL manual, BOOL initial, LPCSTR name) {
    if (g_counts.failEvent) return nullptr;
    HANDLE event = CreateEventA(security, manual, initial, name);
    g_counts.events.push_back(event);
    return event;
}

CWinThread* AFXAPI RecordingBeginThread(AFX_THREADPROC procedure, LPVOID parameter, int priority, UINT stackSize,
                                        DWORD flags, LPSECURITY_ATTRIBUTES security) {
    ++g_counts.threadsBegun;
    g_counts.lastCreateFlags = flags;
    if (g_counts.failThread) return nullptr;
    CWinThread* thread = AfxBeginThread(procedure, parameter, priority, stackSize, flags, security);
    // Only a thread that has not started yet can be looked at safely here.
    if (thread && (flags & CREATE_SUSPENDED)) {
        HANDLE copy = nullptr;
        DuplicateHandle(GetCurrentProcess(), thread->m_hThread, GetCurrentProcess(), &copy, 0, FALSE,
                        DUPLICATE_SAME_ACCESS);
        g_counts.threads.push_back(copy);
    }
    return thread;
}

LoginRequest* CountingNewRequest() {
    if (g_counts.failRequest) return nullptr;
    InterlockedIncrement(&g_counts.requestsMade);
    return new LoginRequest;
}

void CountingDeleteRequest(LoginRequest* request) {
    InterlockedIncrement(&g_counts.requestsDeleted);
    delete request;
}

void* CountingAllocText(size_t size) {
    if (g_counts.failText) return nullptr;
    InterlockedIncrement(&g_counts.textsMade);
    return std::malloc(size);
}

void CountingFreeText(void* text) {
    InterlockedIncrement(&g_counts.textsReleasedByWorker);
    std::free(text);
}

} // namespace

void CountRequestsAndTexts() {
    g_loginSeams.newRequest = CountingNewRequest;
    g_loginSeams.deleteRequest = CountingDeleteRequest;
    g_loginSeams.allocText = CountingAllocText;
    g_loginSeams.freeText = CountingFreeText;
}

void LoginWorkerTest::SetUp() {
    StandinFixture::SetUp();
    m_savedSeams = g_loginSeams;
    g_counts = WorkerCounts();
    g_loginSeams.createEvent = CountingCreateEvent;
    g_loginSeams.beginThread = RecordingBeginThread;
    CountRequestsAndTexts();
}

void LoginWorkerTest::TearDown() {
    EXPECT_TRUE(WorkersEnded(30000)) << "a worker still runs";
    // Whatever was made was released once: by the worker, or by the dialog's window.
    EXPECT_EQ(g_counts.requestsMade, g_counts.requestsDeleted);
    EXPECT_EQ(g_counts.textsMade, g_counts.textsReleasedByWorker + window.TextsFreed());
    for (HANDLE thread : g_counts.threads) CloseHandle(thread);
    g_loginSeams = m_savedSeams;
    g_counts = WorkerCounts();
    StandinFixture::TearDown();
}

bool LoginWorkerTest::WorkersEnded(DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (HANDLE thread : g_counts.threads) {
        // Keep the window's queue moving: the workers post to it while they end.
        while (WaitForSingleObject(thread, 0) == WAIT_TIMEOUT) {
            if (GetTickCount() - start >= timeoutMs) return false;
            window.PumpFor(20);
        }
    }
    return true;
}

DWORD LoginWorkerTest::ExitCodeOfWorker(size_t index) {
    if (index >= g_counts.threads.size()) return 0xDEADBEEF;
    WaitForSingleObject(g_counts.threads[index], 30000);
    DWORD code = 0xDEADBEEF;
    GetExitCodeThread(g_counts.threads[index], &code);
    return code;
}

ULONGLONG LoginWorkerTest::HangUpCompleted() const {
    ULONGLONG completed = 0;
    for (const LogLine& line : CallsOf(RasCalls(), "RasGetConnectStatusA"))
        if (line.Get("result") == "6") completed = std::strtoull(line.Get("time").c_str(), nullptr, 10);
    return completed;
}

const Notification* LoginWorkerTest::Final() const {
    for (const Notification& note : window.received())
        if (note.message == WM_LOGIN_FAILED || note.message == WM_LOGIN_FINISHED) return &note;
    return nullptr;
}
