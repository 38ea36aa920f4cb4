#pragma once
// The link's icon in the notification area while the trading client runs: its
// picture and tooltip for the link's state, the balloons when the link is lost
// and when it is back, its menu, the shell's callback and Explorer's restart.
#include "afxwin.h"

#include "LoginMessages.h"
#include "TrayIcon.h"

class LinkTrayIcon {
public:
    // What the shell sends the dialog for the icon.
    static const UINT kCallbackMessage = WM_APP + 120;

    LinkTrayIcon();
    ~LinkTrayIcon();
    LinkTrayIcon(const LinkTrayIcon&) = delete;
    LinkTrayIcon& operator=(const LinkTrayIcon&) = delete;

    // Shows the link's state, adding the icon the first time; `connectedIcon`
    // is the program's own small icon, the others are the system's at the
    // small-icon size of `dpi`. A link that is up while some of its route
    // commands failed (`unrouted`) shows the warning. The text is copied.
    void ShowLink(HWND owner, LinkState state, bool unrouted, const char* text, HICON connectedIcon, UINT dpi);
    // The same state and text again, with the icons of a new display scale.
    void ShowAgain(HWND owner, HICON connectedIcon, UINT dpi);
    void Remove();
    bool shown() const { return m_icon.shown(); }
    const CString& linkText() const { return m_linkText; }

    // Explorer's notification area started afresh and has forgotten the icon:
    // true when `message` says so, and the icon is then added again.
    bool OnShellMessage(UINT message);
    // The shell's callback for the icon (its wParam and lParam): the command
    // the user chose with it, from the menu or by a double click, or 0.
    UINT CommandFor(HWND owner, WPARAM where, LPARAM event, bool dialogShown, bool canReconnect);

private:
    UINT ChooseFromMenu(HWND owner, POINT at, bool dialogShown, bool canReconnect);
    HICON StateIcon(LinkState state, HICON connectedIcon, UINT dpi);

    TrayIcon m_icon;
    LinkState m_linkState;
    bool m_unrouted;
    CString m_linkText;
    // The system's warning and error pictures at the small-icon size of m_iconDpi.
    HICON m_warningIcon;
    HICON m_errorIcon;
    UINT m_iconDpi;
    // Sent by Explorer when its notification area starts afresh.
    UINT m_taskbarCreated;
};
