#pragma once
// The program's icon in the notification area while the trading client runs:
// the link's state in its picture and tooltip, a balloon when the link is lost
// and when it is back. Shell32 comes from the system folder, bound when the
// icon is first needed, as every library this program loads.
#include <windows.h>

class TrayIcon {
public:
    TrayIcon();
    ~TrayIcon();
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    // Adds the icon, or changes it; `callbackMessage` reaches `owner` for the
    // mouse over it. The tooltip is cut to what the system shows.
    void Show(HWND owner, UINT callbackMessage, HICON icon, const char* tooltip);
    void Balloon(const char* title, const char* text);
    // Explorer started again: its notification area has forgotten the icon.
    void AddAgain();
    void Remove();
    bool shown() const { return m_shown; }

    // Opens a file with the program the user has for it; false when that fails.
    static bool OpenWithShell(const char* path);

private:
    bool Notify(DWORD action);

    NOTIFYICONDATAA m_data;
    bool m_shown;
};
