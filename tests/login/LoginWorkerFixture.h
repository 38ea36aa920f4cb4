#pragma once
// Login workers driven from a test that owns the window they report to, against
// the RAS, route and client stand-ins. Every request and text the workers make is
// counted, and every worker thread is recorded, so a test can wait for it to end
// and read its exit code.
#include "LoginWorker.h"
#include "LoginTestSupport.h"
#include "StandinFixture.h"

#include <CWnd.h>

#include <string>
#include <vector>

struct WorkerCounts {
    LONG requestsMade = 0;
    LONG requestsDeleted = 0;
    LONG textsMade = 0;
    LONG textsReleasedByWorker = 0;
    int threadsBegun = 0;
    DWORD lastCreateFlags = 0;
    std::vector<HANDLE> threads; // a handle of each worker thread, for its end and exit code
    std::vector<HANDLE> events;  // each ready event made
    bool failEvent = false;
    bool failRequest = false;
    bool failThread = false;
    bool failText = false;
};

extern WorkerCounts g_counts;

// Puts the counting seams of requests and texts into g_loginSeams, on top of
// whatever else is there; the fixture adds the event and thread recorders.
void CountRequestsAndTexts();

class LoginWorkerTest : public StandinFixture {
protected:
    void SetUp() override;
    void TearDown() override;

    CWnd* Dialog() { return CWnd::FromHandle(window.handle()); }
    // Waits for every worker this test started; false when one still runs.
    bool WorkersEnded(DWORD timeoutMs);
    DWORD ExitCodeOfWorker(size_t index);
    // The system time of the last completed hang-up (RAS reported the handle gone), 0 when none.
    ULONGLONG HangUpCompleted() const;
    const Notification* Final() const;

    NotificationWindow window;
    ClientLog log;
    ScopedEnvironment logEnvironment{"QM_CLIENT_LOG", log.path()};
    ScopedEnvironment hidden{"QM_CLIENT_HIDDEN", "1"};
    ClientQuitEvent clientQuit;
    LoginSeams m_savedSeams;
};

extern const char kEntryName[];
extern const std::string kClientPath;
