#include "LinkTrayIcon.h"

#include "resource.h"

namespace {
const char kProductName[] = "Quillmarsh VPN";
} // namespace

LinkTrayIcon::LinkTrayIcon()
    : m_linkState(LinkState::Connected), m_taskbarCreated(RegisterWindowMessageA("TaskbarCreated")) {}

void LinkTrayIcon::ShowLink(HWND owner, LinkState state, const char* text, HICON connectedIcon) {
    static const char* const kStateWords[] = {"connected", "reconnecting", "down", "down"};
    const LinkState before = m_linkState;
    const bool first = !m_icon.shown();
    m_linkState = state;
    m_linkText = text;
    // The tooltip breaks its lines at \n alone.
    CString tooltip = CString(kProductName) + ": " + kStateWords[static_cast<int>(state)];
    tooltip += "\n";
    for (const char* at = text; *at; ++at)
        if (*at != '\r') tooltip += CString(at, 1);
    HICON icon = state == LinkState::Connected      ? connectedIcon
                 : state == LinkState::Reconnecting ? LoadIcon(nullptr, IDI_WARNING)
                                                    : LoadIcon(nullptr, IDI_ERROR);
    m_icon.Show(owner, kCallbackMessage, icon, tooltip);
    if (first) return;
    if (before == LinkState::Connected && state != LinkState::Connected)
        m_icon.Balloon(kProductName, "The VPN link is lost: dialling again");
    else if (before != LinkState::Connected && state == LinkState::Connected)
        m_icon.Balloon(kProductName, "The VPN link is back");
}

void LinkTrayIcon::ShowAgain(HWND owner, HICON connectedIcon) {
    if (m_icon.shown()) ShowLink(owner, m_linkState, m_linkText, connectedIcon);
}

void LinkTrayIcon::Remove() { m_icon.Remove(); }

bool LinkTrayIcon::OnShellMessage(UINT message) {
    if (message != m_taskbarCreated || m_taskbarCreated == 0) return false;
    m_icon.AddAgain();
    return true;
}

UINT LinkTrayIcon::CommandFor(HWND owner, LPARAM callback, bool dialogShown, bool canReconnect) {
    if (callback == WM_RBUTTONUP || callback == WM_CONTEXTMENU) return ChooseFromMenu(owner, dialogShown, canReconnect);
    if (callback == WM_LBUTTONDBLCLK) return IDM_TRAY_SHOW_STATUS;
    return 0;
}

UINT LinkTrayIcon::ChooseFromMenu(HWND owner, bool dialogShown, bool canReconnect) {
    HMENU menu = CreatePopupMenu();
    if (!menu) return 0;
    AppendMenuA(menu, MF_STRING, IDM_TRAY_SHOW_STATUS, dialogShown ? "Hide the status" : "Show the status");
    AppendMenuA(menu, MF_STRING | (canReconnect ? 0 : MF_GRAYED), IDM_TRAY_RECONNECT, "Reconnect now");
    AppendMenuA(menu, MF_STRING, IDM_TRAY_OPEN_LOG, "Open the support log");
    POINT at;
    GetCursorPos(&at);
    // Without the foreground the menu would not close when the user clicks
    // elsewhere.
    ::SetForegroundWindow(owner);
    UINT chosen = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, at.x, at.y, 0, owner, nullptr);
    PostMessageA(owner, WM_NULL, 0, 0);
    DestroyMenu(menu);
    return chosen;
}
