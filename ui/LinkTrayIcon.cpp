#include "LinkTrayIcon.h"

#include "DpiScale.h"
#include "resource.h"
#include "SupportLog.h"

#ifndef NIN_SELECT
#define NIN_SELECT (WM_USER + 0)
#endif
#ifndef NIN_KEYSELECT
#define NIN_KEYSELECT (NIN_SELECT | 0x1)
#endif

namespace {
const char kProductName[] = "Quillmarsh VPN";
// The system's own pictures, as LoadImage names them (OIC_WARNING, OIC_ERROR).
const UINT kSystemWarningIcon = 32515;
const UINT kSystemErrorIcon = 32513;
} // namespace

LinkTrayIcon::LinkTrayIcon()
    : m_linkState(LinkState::Connected), m_unrouted(false), m_warningIcon(nullptr), m_errorIcon(nullptr), m_iconDpi(0),
      m_taskbarCreated(RegisterWindowMessageA("TaskbarCreated")) {}

LinkTrayIcon::~LinkTrayIcon() {
    m_icon.Remove();
    if (m_warningIcon) DestroyIcon(m_warningIcon);
    if (m_errorIcon) DestroyIcon(m_errorIcon);
}

// The shell would shrink a big picture into the small place; these are drawn
// at the size it shows.
HICON LinkTrayIcon::StateIcon(LinkState state, HICON connectedIcon, UINT dpi) {
    if (state == LinkState::Connected) return connectedIcon;
    if (dpi != m_iconDpi || !m_warningIcon || !m_errorIcon) {
        HICON warning = LoadIconForDpi(nullptr, kSystemWarningIcon, true, dpi);
        HICON error = LoadIconForDpi(nullptr, kSystemErrorIcon, true, dpi);
        if (warning && error) {
            if (m_warningIcon) DestroyIcon(m_warningIcon);
            if (m_errorIcon) DestroyIcon(m_errorIcon);
            m_warningIcon = warning;
            m_errorIcon = error;
            m_iconDpi = dpi;
        } else {
            if (warning) DestroyIcon(warning);
            if (error) DestroyIcon(error);
        }
    }
    HICON small = state == LinkState::Reconnecting ? m_warningIcon : m_errorIcon;
    if (small) return small;
    return LoadIcon(nullptr, state == LinkState::Reconnecting ? IDI_WARNING : IDI_ERROR);
}

void LinkTrayIcon::ShowLink(HWND owner, LinkState state, bool unrouted, const char* text, HICON connectedIcon,
                            UINT dpi) {
    static const char* const kStateWords[] = {"connected", "reconnecting", "down", "down"};
    const LinkState before = m_linkState;
    const bool wasUnrouted = m_unrouted;
    const bool first = !m_icon.shown();
    m_linkState = state;
    m_unrouted = unrouted && state == LinkState::Connected;
    m_linkText = text;
    // The tooltip breaks its lines at \n alone.
    CString tooltip =
        CString(kProductName) + ": " + (m_unrouted ? kUnroutedText : kStateWords[static_cast<int>(state)]);
    tooltip += "\n";
    for (const char* at = text; *at; ++at)
        if (*at != '\r') tooltip += CString(at, 1);
    // Never a quiet "connected" while the firm's traffic goes elsewhere.
    const LinkState picture = m_unrouted ? LinkState::Reconnecting : state;
    m_icon.Show(owner, kCallbackMessage, StateIcon(picture, connectedIcon, dpi), tooltip);
    if (m_unrouted && !wasUnrouted) {
        SupportLog::Write("Tray: %s", kUnroutedText);
        m_icon.Balloon(kProductName, kUnroutedText);
        return;
    }
    if (first) return;
    if (before == LinkState::Connected && state != LinkState::Connected)
        m_icon.Balloon(kProductName, "The VPN link is lost: dialling again");
    else if (before != LinkState::Connected && state == LinkState::Connected && !m_unrouted)
        m_icon.Balloon(kProductName, "The VPN link is back");
}

void LinkTrayIcon::ShowAgain(HWND owner, HICON connectedIcon, UINT dpi) {
    if (!m_icon.shown()) return;
    // ShowLink replaces the text it is given.
    const CString text = m_linkText;
    ShowLink(owner, m_linkState, m_unrouted, text, connectedIcon, dpi);
}

void LinkTrayIcon::Remove() { m_icon.Remove(); }

bool LinkTrayIcon::OnShellMessage(UINT message) {
    if (message != m_taskbarCreated || m_taskbarCreated == 0) return false;
    m_icon.AddAgain();
    return true;
}

// From version 4 on the low word names the event and wParam the icon's place;
// before, lParam is the mouse message and the menu goes where the cursor is.
// Right click, the menu key and Shift+F10 arrive as WM_CONTEXTMENU, Enter or
// Space as NIN_KEYSELECT; without a version only the mouse messages come. A
// single left click (NIN_SELECT) opens nothing, so that a double click still
// reaches the status, as it always has.
UINT LinkTrayIcon::CommandFor(HWND owner, WPARAM where, LPARAM event, bool dialogShown, bool canReconnect) {
    const UINT what = m_icon.version() >= 4 ? LOWORD(event) : static_cast<UINT>(event);
    const bool menu =
        what == WM_CONTEXTMENU || what == NIN_KEYSELECT || (what == WM_RBUTTONUP && m_icon.version() == 0);
    if (what == WM_LBUTTONDBLCLK) return IDM_TRAY_SHOW_STATUS;
    if (!menu) return 0;
    POINT at;
    if (m_icon.version() >= 4) {
        at.x = static_cast<short>(LOWORD(where));
        at.y = static_cast<short>(HIWORD(where));
    } else if (!GetCursorPos(&at)) {
        at.x = at.y = 0;
    }
    return ChooseFromMenu(owner, at, dialogShown, canReconnect);
}

UINT LinkTrayIcon::ChooseFromMenu(HWND owner, POINT at, bool dialogShown, bool canReconnect) {
    HMENU menu = CreatePopupMenu();
    if (!menu) return 0;
    AppendMenuA(menu, MF_STRING, IDM_TRAY_SHOW_STATUS, dialogShown ? "&Hide the status" : "&Show the status");
    AppendMenuA(menu, MF_STRING | (canReconnect ? 0 : MF_GRAYED), IDM_TRAY_RECONNECT, "&Reconnect now");
    AppendMenuA(menu, MF_STRING, IDM_TRAY_OPEN_LOG, "&Open the support log");
    // Without the foreground the menu would not close when the user clicks
    // elsewhere.
    ::SetForegroundWindow(owner);
    UINT chosen = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, at.x, at.y, 0, owner, nullptr);
    PostMessageA(owner, WM_NULL, 0, 0);
    DestroyMenu(menu);
    m_icon.GiveBackFocus();
    return chosen;
}
