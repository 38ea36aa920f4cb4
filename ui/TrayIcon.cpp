#include "TrayIcon.h"

#include <shellapi.h>

#include <SupportLog.h>
#include <SystemLibrary.h>

namespace {

typedef BOOL(WINAPI* ShellNotifyIconProc)(DWORD, NOTIFYICONDATAA*);
typedef HINSTANCE(WINAPI* ShellExecuteProc)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);

// The record as Windows 2000 and XP know it: balloons, no newer fields.
const DWORD kDataSize = NOTIFYICONDATAA_V2_SIZE;
const UINT kIconId = 1;

FARPROC ShellEntry(const char* name) {
    static HMODULE shell = LoadSystemLibrary("shell32.dll");
    return shell ? GetProcAddress(shell, name) : nullptr;
}

} // namespace

TrayIcon::TrayIcon() : m_shown(false) {
    ZeroMemory(&m_data, sizeof m_data);
    m_data.cbSize = kDataSize;
    m_data.uID = kIconId;
}

TrayIcon::~TrayIcon() { Remove(); }

void TrayIcon::Show(HWND owner, UINT callbackMessage, HICON icon, const char* tooltip) {
    m_data.hWnd = owner;
    m_data.uCallbackMessage = callbackMessage;
    m_data.hIcon = icon;
    m_data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    lstrcpynA(m_data.szTip, tooltip, sizeof m_data.szTip);
    if (m_shown) {
        Notify(NIM_MODIFY);
        return;
    }
    m_shown = Notify(NIM_ADD);
    SupportLog::Write(m_shown ? "Notification-area icon added" : "Notification-area icon could not be added");
}

void TrayIcon::Balloon(const char* title, const char* text) {
    if (!m_shown) return;
    m_data.uFlags = NIF_INFO;
    lstrcpynA(m_data.szInfoTitle, title, sizeof m_data.szInfoTitle);
    lstrcpynA(m_data.szInfo, text, sizeof m_data.szInfo);
    m_data.dwInfoFlags = NIIF_INFO;
    m_data.uTimeout = 10000;
    Notify(NIM_MODIFY);
}

void TrayIcon::AddAgain() {
    if (!m_shown) return;
    m_data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    // An area that kept the icon after all refuses a second one of the same
    // number; it is brought up to date instead.
    bool shown = Notify(NIM_ADD) || Notify(NIM_MODIFY);
    SupportLog::Write(shown ? "Notification-area icon shown again after Explorer's restart"
                            : "Notification-area icon could not be shown again");
}

void TrayIcon::Remove() {
    if (!m_shown) return;
    Notify(NIM_DELETE);
    m_shown = false;
}

bool TrayIcon::Notify(DWORD action) {
    ShellNotifyIconProc notify =
        reinterpret_cast<ShellNotifyIconProc>(reinterpret_cast<void*>(ShellEntry("Shell_NotifyIconA")));
    return notify && notify(action, &m_data);
}

bool TrayIcon::OpenWithShell(const char* path) {
    ShellExecuteProc execute = reinterpret_cast<ShellExecuteProc>(reinterpret_cast<void*>(ShellEntry("ShellExecuteA")));
    return execute && reinterpret_cast<INT_PTR>(execute(nullptr, "open", path, nullptr, nullptr, SW_SHOWNORMAL)) > 32;
}
