#include "TrayIcon.h"

#include <objbase.h>
#include <shellapi.h>

#include <SupportLog.h>
#include <SystemLibrary.h>

#ifndef NIM_SETFOCUS
#define NIM_SETFOCUS 0x00000003
#endif
#ifndef NIM_SETVERSION
#define NIM_SETVERSION 0x00000004
#endif

namespace {

typedef BOOL(WINAPI* ShellNotifyIconProc)(DWORD, NOTIFYICONDATAA*);
typedef HINSTANCE(WINAPI* ShellExecuteProc)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);
typedef HRESULT(WINAPI* CoInitializeExProc)(LPVOID, DWORD);
typedef void(WINAPI* CoUninitializeProc)();

// The record as Windows 2000 and XP know it: balloons and the callbacks'
// version, no newer fields.
const DWORD kDataSize = NOTIFYICONDATAA_V2_SIZE;
const UINT kIconId = 1;
const UINT kVersion4 = 4;
const UINT kVersion3 = 3;

FARPROC ShellEntry(const char* name) {
    static HMODULE shell = LoadSystemLibrary("shell32.dll");
    return shell ? GetProcAddress(shell, name) : nullptr;
}

FARPROC ComEntry(const char* name) {
    static HMODULE ole = LoadSystemLibrary("ole32.dll");
    return ole ? GetProcAddress(ole, name) : nullptr;
}

template <typename Call>
Call Entry(FARPROC entry) {
    return reinterpret_cast<Call>(reinterpret_cast<void*>(entry));
}

BOOL WINAPI RealNotifyIcon(DWORD action, NOTIFYICONDATAA* data) {
    ShellNotifyIconProc notify = Entry<ShellNotifyIconProc>(ShellEntry("Shell_NotifyIconA"));
    return notify ? notify(action, data) : FALSE;
}

HINSTANCE WINAPI RealShellExecute(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR folder, INT show) {
    ShellExecuteProc execute = Entry<ShellExecuteProc>(ShellEntry("ShellExecuteA"));
    return execute ? execute(owner, verb, file, parameters, folder, show) : nullptr;
}

} // namespace

const TraySeams kRealTraySeams = {RealNotifyIcon, RealShellExecute};
TraySeams g_traySeams = kRealTraySeams;

TrayIcon::TrayIcon() : m_shown(false), m_version(0) {
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
    if (m_shown) AgreeOnVersion();
}

// Without a version the shell sends the mouse messages alone: a keyboard user
// would get no menu. Version 4 where the shell has it, else 3.
void TrayIcon::AgreeOnVersion() {
    m_data.uVersion = kVersion4;
    if (Notify(NIM_SETVERSION)) {
        m_version = kVersion4;
        return;
    }
    m_data.uVersion = kVersion3;
    m_version = Notify(NIM_SETVERSION) ? kVersion3 : 0;
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
    if (shown) AgreeOnVersion();
}

void TrayIcon::Remove() {
    if (!m_shown) return;
    Notify(NIM_DELETE);
    m_shown = false;
    m_version = 0;
}

void TrayIcon::GiveBackFocus() {
    if (m_shown && m_version != 0) Notify(NIM_SETFOCUS);
}

bool TrayIcon::Notify(DWORD action) { return g_traySeams.notifyIcon(action, &m_data) != FALSE; }

// The shell's documentation asks for COM on the calling thread: the program a
// file type opens with may be started through it.
bool TrayIcon::OpenWithShell(const char* path) {
    CoInitializeExProc initialize = Entry<CoInitializeExProc>(ComEntry("CoInitializeEx"));
    CoUninitializeProc uninitialize = Entry<CoUninitializeProc>(ComEntry("CoUninitialize"));
    const HRESULT com = initialize ? initialize(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE) : E_NOTIMPL;
    const bool opened = reinterpret_cast<INT_PTR>(
                            g_traySeams.shellExecute(nullptr, "open", path, nullptr, nullptr, SW_SHOWNORMAL)) > 32;
    if (SUCCEEDED(com) && uninitialize) uninitialize();
    return opened;
}
