// One run of a program under test: started by the test, driven through its
// windows, and ended by the test through its own process handle only.
#pragma once
#include "Window.h"

#include <string>
#include <utility>
#include <vector>

namespace driver {

class ProductSession {
public:
    static constexpr const char* kProgramName = "QuillmarshVPN.exe";
    static constexpr const char* kLoginCaption = " Quillmarsh VPN Login";
    static constexpr DWORD kWindowTimeoutMs = 30000; // a Wine process's start on a busy machine

    struct Options {
        // Full path; empty means QuillmarshVPN.exe beside the test program.
        std::string program;
        // Appended to the quoted program path on the command line.
        std::string arguments;
        // Empty means the program's own folder.
        std::string currentDirectory;
        // Set in the child's environment on top of the test's own (an existing
        // name, compared without case, is replaced).
        std::vector<std::pair<std::string, std::string>> environment;
        // With a standard user's filtered token instead of the test's own.
        bool asStandardUser = false;
    };

    // The full path of `fileName` in the folder of the running test program.
    static std::string BesideTestProgram(const std::string& fileName);

    ProductSession() = default;
    ~ProductSession();
    ProductSession(const ProductSession&) = delete;
    ProductSession& operator=(const ProductSession&) = delete;

    // Starts the program; false (and GetLastError's number in lastError()) when
    // CreateProcess fails. A session starts one process at most.
    bool start(const Options& options);
    bool start() { return start(Options()); }
    DWORD lastError() const { return m_lastError; }

    HANDLE process() const { return m_process; }
    DWORD processId() const { return m_processId; }
    bool running() const;

    // Waits until a visible top-level window of the process has this caption,
    // remembers it as window() and returns it; empty after the limit.
    Window waitForWindow(const char* caption = kLoginCaption, DWORD timeoutMs = kWindowTimeoutMs);
    Window window() const { return m_window; }
    // Waits for a visible message box (class "#32770") of the process with this
    // caption; empty after the limit.
    Window waitForMessageBox(const char* caption, DWORD timeoutMs = kWindowTimeoutMs) const;
    // Waits until the window is gone or hidden.
    static bool waitForGone(const Window& window, DWORD timeoutMs = kWindowTimeoutMs);

    // Waits for the process to end; its exit code goes to *exitCode when given.
    bool waitForExit(DWORD timeoutMs, DWORD* exitCode = nullptr) const;
    // Ends the process if it still runs (TerminateProcess on our handle), waits
    // up to timeoutMs for it to go, and releases the handle. Returns true when
    // the process had ended by itself.
    bool close(DWORD timeoutMs = 5000);

private:
    HANDLE m_process = nullptr;
    DWORD m_processId = 0;
    DWORD m_lastError = 0;
    Window m_window;
};

} // namespace driver
