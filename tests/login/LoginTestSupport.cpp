// Sockets first: the system headers want it before windows.h.
#include <winsock2.h>

#include "LoginTestSupport.h"

#include "LoginMessages.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

ScopedEnvironment::ScopedEnvironment(const char* name, const std::string& value) : m_name(name), m_had(false) {
    char old[2048];
    DWORD length = GetEnvironmentVariableA(name, old, sizeof(old));
    if (length > 0 && length < sizeof(old)) {
        m_had = true;
        m_old.assign(old, length);
    }
    SetEnvironmentVariableA(name, value.c_str());
}

ScopedEnvironment::~ScopedEnvironment() { SetEnvironmentVariableA(m_name.c_str(), m_had ? m_old.c_str() : nullptr); }

namespace {
const char kWindowClass[] = "QmLoginTestDialog";

std::string NextQuitEventName() {
    static LONG counter = 0;
    return "qm-client-quit-" + std::to_string(GetCurrentProcessId()) + "-" +
           std::to_string(InterlockedIncrement(&counter));
}
} // namespace

ClientQuitEvent::ClientQuitEvent()
    : m_name(NextQuitEventName()), m_event(CreateEventA(nullptr, TRUE, FALSE, m_name.c_str())),
      m_environment("QM_CLIENT_QUIT_EVENT", m_name) {}

ClientQuitEvent::~ClientQuitEvent() {
    SetEvent(m_event);
    CloseHandle(m_event);
}

BOOL WINAPI SetTimerAnHourLater(HANDLE timer, const LARGE_INTEGER* due, LONG period, PTIMERAPCROUTINE routine,
                                LPVOID argument, BOOL resume) {
    LARGE_INTEGER later = *due;
    later.QuadPart -= 36000000000LL; // relative times are negative, in 100 ns
    return SetWaitableTimer(timer, &later, period, routine, argument, resume);
}

NotificationWindow::NotificationWindow(bool keepRecords)
    : m_keepRecords(keepRecords), m_window(nullptr), m_textsFreed(0), m_nullTexts(0), m_finals(0), m_readies(0),
      m_count(0) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = Procedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kWindowClass;
    RegisterClassA(&windowClass); // fails harmlessly when a previous window registered it
    m_window = CreateWindowA(kWindowClass, "login test dialog", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                             GetModuleHandleA(nullptr), this);
}

NotificationWindow::~NotificationWindow() {
    if (m_window) DestroyWindow(m_window);
}

LRESULT CALLBACK NotificationWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<NotificationWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    // The link's reports are kept apart, so that the attempt's own sequence of
    // notifications reads as it always has.
    if (self && message == WM_LOGIN_LINK) {
        if (lParam) {
            auto* report = reinterpret_cast<LinkReport*>(lParam);
            if (self->m_keepRecords)
                self->m_linkReports.push_back({report->state, report->workerThreadId, report->text});
            std::free(report);
            ++self->m_textsFreed;
        }
        return 0;
    }
    if (self && message >= WM_LOGIN_HIDE && message <= WM_LOGIN_READY) {
        Notification note = {message, lParam != 0, std::string(), GetTickCount(), SystemTimeNow()};
        if ((message == WM_LOGIN_FAILED || message == WM_LOGIN_STATUS) && lParam) {
            char* text = reinterpret_cast<char*>(lParam);
            note.text = text;
            std::free(text);
            ++self->m_textsFreed;
        } else if (message == WM_LOGIN_FAILED || message == WM_LOGIN_STATUS) {
            ++self->m_nullTexts;
        }
        if (message == WM_LOGIN_FAILED || message == WM_LOGIN_FINISHED) ++self->m_finals;
        if (message == WM_LOGIN_READY) ++self->m_readies;
        ++self->m_count;
        if (self->m_keepRecords) self->m_received.push_back(note);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

bool NotificationWindow::PumpUntil(DWORD timeoutMs, bool (*done)(const NotificationWindow&, size_t), size_t arg) {
    DWORD start = GetTickCount();
    for (;;) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        if (done && done(*this, arg)) return true;
        DWORD spent = GetTickCount() - start;
        if (spent >= timeoutMs) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, timeoutMs - spent, QS_ALLINPUT);
    }
}

bool NotificationWindow::WaitForFinal(DWORD timeoutMs) { return WaitForFinals(1, timeoutMs); }

bool NotificationWindow::WaitForCount(size_t count, DWORD timeoutMs) {
    return PumpUntil(
        timeoutMs, [](const NotificationWindow& w, size_t n) { return w.m_count >= n; }, count);
}

bool NotificationWindow::WaitForFinals(long count, DWORD timeoutMs) {
    return PumpUntil(
        timeoutMs, [](const NotificationWindow& w, size_t n) { return w.m_finals >= static_cast<long>(n); }, count);
}

bool NotificationWindow::WaitForReadies(long count, DWORD timeoutMs) {
    return PumpUntil(
        timeoutMs, [](const NotificationWindow& w, size_t n) { return w.m_readies >= static_cast<long>(n); }, count);
}

void NotificationWindow::PumpFor(DWORD ms) { PumpUntil(ms, nullptr, 0); }

std::vector<UINT> NotificationWindow::Messages() const {
    std::vector<UINT> messages;
    for (const Notification& note : m_received) messages.push_back(note.message);
    return messages;
}

ClientLog::ClientLog() : m_path(UniqueTempPath("client")) {}

ClientLog::~ClientLog() { DeleteFileA(m_path.c_str()); }

bool ClientLog::Exists() const { return GetFileAttributesA(m_path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool ClientLog::WaitWritten(DWORD timeoutMs) const {
    DWORD start = GetTickCount();
    while (!Exists()) {
        if (GetTickCount() - start >= timeoutMs) return false;
        Sleep(20);
    }
    return true;
}

std::map<std::string, std::string> ClientLog::Read() const {
    std::map<std::string, std::string> values;
    std::ifstream file(m_path, std::ios::binary);
    std::string line;
    while (std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        size_t equals = line.find('=');
        if (equals != std::string::npos) values[line.substr(0, equals)] = line.substr(equals + 1);
    }
    return values;
}

HANDLE ClientLog::OpenClient() const {
    auto values = Read();
    auto pid = values.find("pid");
    if (pid == values.end()) return nullptr;
    return OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE,
                       static_cast<DWORD>(std::strtoul(pid->second.c_str(), nullptr, 10)));
}

std::string UniqueTempPath(const char* stem) {
    static LONG counter = 0;
    char folder[MAX_PATH] = {0};
    GetTempPathA(MAX_PATH, folder);
    std::ostringstream path;
    path << folder << "qm-" << stem << "-" << GetCurrentProcessId() << "-" << InterlockedIncrement(&counter) << ".txt";
    return path.str();
}

ULONGLONG SystemTimeNow() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER value;
    value.LowPart = now.dwLowDateTime;
    value.HighPart = now.dwHighDateTime;
    return value.QuadPart;
}

ListeningPort::ListeningPort() : m_socket(INVALID_SOCKET), m_port(0) {
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return;
    SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof(address);
    if (listener != INVALID_SOCKET && bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0 &&
        listen(listener, 4) == 0 && getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
        m_socket = listener;
        m_port = ntohs(address.sin_port);
    } else if (listener != INVALID_SOCKET) {
        closesocket(listener);
    }
}

ListeningPort::~ListeningPort() {
    if (m_socket != INVALID_SOCKET) closesocket(m_socket);
    WSACleanup();
}
