#pragma once
// The program's icon in the notification area while the trading client runs:
// the link's state in its picture and tooltip, a balloon when the link is lost
// and when it is back. Shell32 comes from the system folder, bound when the
// icon is first needed, as every library this program loads.
#include <windows.h>

// The shell's calls that tests replace, to see what the icon hands the shell
// without a notification area. Each defaults to the real call.
struct TraySeams {
    BOOL(WINAPI* notifyIcon)(DWORD action, NOTIFYICONDATAA* data);
    HINSTANCE(WINAPI* shellExecute)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);
};

extern TraySeams g_traySeams;
// The real calls, for a test to restore or to pass through to.
extern const TraySeams kRealTraySeams;

class TrayIcon {
public:
    TrayIcon();
    ~TrayIcon();
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    // Adds the icon, or changes it; `callbackMessage` reaches `owner` for the
    // mouse and keyboard on it. The tooltip is cut to what the system shows.
    void Show(HWND owner, UINT callbackMessage, HICON icon, const char* tooltip);
    void Balloon(const char* title, const char* text);
    // Explorer started again: its notification area has forgotten the icon.
    void AddAgain();
    void Remove();
    // Hands the keyboard back to the notification area, once the icon's menu
    // has closed.
    void GiveBackFocus();
    bool shown() const { return m_shown; }
    // The callbacks' version the shell agreed to: 4 (the event in the low
    // word, the icon's place in wParam), 3, or 0 (the mouse messages alone).
    UINT version() const { return m_version; }

    // Opens a file with the program the user has for it; false when that fails.
    static bool OpenWithShell(const char* path);

private:
    bool Notify(DWORD action);
    void AgreeOnVersion();

    NOTIFYICONDATAA m_data;
    bool m_shown;
    UINT m_version;
};
