#pragma once
// What the login tests share: a window that stands in for the dialog and records
// the worker's notifications, scripting of the client stand-in through the
// environment, and reading back what the client logged.
#include <windows.h>

#include "LoginMessages.h"
#include "SystemFolders.h"
#include "WaitUntil.h"

#include <map>
#include <string>
#include <vector>

using driver::kAttemptLimitMs;

// Sets an environment variable for this process (and so for the clients it
// starts) and puts the old value back when it goes.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const std::string& value);
    ~ScopedEnvironment();
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    std::string m_name;
    std::string m_old;
    bool m_had;
};

struct Notification {
    UINT message;
    bool hasText;     // lParam was not null
    std::string text; // its contents, already released with free()
    DWORD tick;       // GetTickCount when it was taken from the queue
    ULONGLONG time;   // system time in 100 ns, for comparing with the client's log
};

// A hidden top-level window of the calling thread that takes the place of the
// login dialog: it frees every text it receives, as the dialog does, and counts.
// For a soak of many attempts it keeps no records, only counts, so that its own
// bookkeeping cannot look like a leak.
class NotificationWindow {
public:
    explicit NotificationWindow(bool keepRecords = true);
    ~NotificationWindow();
    HWND handle() const { return m_window; }

    // Pumps the thread's queue until a final notification (failed or finished)
    // has arrived or the time is up; true when one arrived.
    bool WaitForFinal(DWORD timeoutMs);
    // Pumps until `count` notifications have arrived or the time is up.
    bool WaitForCount(size_t count, DWORD timeoutMs);
    // Pumps until `count` final (failed or finished), or ready, notifications
    // have arrived since the window was made; false when the time is up.
    bool WaitForFinals(long count, DWORD timeoutMs);
    bool WaitForReadies(long count, DWORD timeoutMs);
    // Pumps for a while, for messages that should not come.
    void PumpFor(DWORD ms);

    const std::vector<Notification>& received() const { return m_received; }
    struct LinkSeen {
        LinkState state;
        DWORD workerThreadId;
        std::string text;
    };
    const std::vector<LinkSeen>& linkReports() const { return m_linkReports; }
    std::vector<UINT> Messages() const;
    int TextsFreed() const { return m_textsFreed; }
    // How many failed or status notifications came without their text.
    int NullTexts() const { return m_nullTexts; }
    long Finals() const { return m_finals; }
    long Readies() const { return m_readies; }

private:
    static LRESULT CALLBACK Procedure(HWND, UINT, WPARAM, LPARAM);
    bool PumpUntil(DWORD timeoutMs, bool (*done)(const NotificationWindow&, size_t), size_t arg);

    bool m_keepRecords;
    HWND m_window;
    std::vector<Notification> m_received;
    std::vector<LinkSeen> m_linkReports;
    int m_textsFreed;
    int m_nullTexts;
    long m_finals;
    long m_readies;
    size_t m_count;
};

// A named event on which the client stand-in ends (QM_CLIENT_QUIT_EVENT) for as
// long as the object lives: a test ends the client when it has seen what it
// waits for, not after a time a busy machine may outrun. It is signalled when
// the object goes, so that no client outlives its test.
class ClientQuitEvent {
public:
    ClientQuitEvent();
    ~ClientQuitEvent();
    ClientQuitEvent(const ClientQuitEvent&) = delete;
    ClientQuitEvent& operator=(const ClientQuitEvent&) = delete;
    void Signal() const { SetEvent(m_event); }

private:
    std::string m_name;
    HANDLE m_event;
    ScopedEnvironment m_environment;
};

// For the timer seam: arms every timer an hour later than asked, so that a
// client that ends at once does so before the hide time however long a busy
// machine takes to start it.
BOOL WINAPI SetTimerAnHourLater(HANDLE timer, const LARGE_INTEGER* due, LONG period, PTIMERAPCROUTINE routine,
                                LPVOID argument, BOOL resume);

// A file for the client stand-in's log, removed with the object.
class ClientLog {
public:
    ClientLog();
    ~ClientLog();
    const std::string& path() const { return m_path; }
    // Waits until the client has written its log; false when it has not in time.
    bool WaitWritten(DWORD timeoutMs) const;
    bool Exists() const;
    std::map<std::string, std::string> Read() const;
    // The client's process, opened from the id it logged, or null.
    HANDLE OpenClient() const;

private:
    std::string m_path;
};

std::string UniqueTempPath(const char* stem);
ULONGLONG SystemTimeNow();

// A TCP port on 127.0.0.1 that accepts connections, for the worker's probe.
class ListeningPort {
public:
    ListeningPort();
    ~ListeningPort();
    unsigned short port() const { return m_port; }

private:
    UINT_PTR m_socket;
    unsigned short m_port;
};
