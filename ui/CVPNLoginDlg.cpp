#include "CVPNLoginDlg.h"

#include <cstdlib>

#include "AccessibleNames.h"
#include "DpiScale.h"
#include "LoginMessages.h"
#include "LoginWorker.h"
#include "StartupSettings.h"
#include "SupportLog.h"

namespace {
// After an outage that brought the dialog back, it goes again this long after
// the link is restored, so that the user sees that it is.
const UINT_PTR kRestoredTimerId = 6970;
const UINT kRestoredShownMs = 4000;
const char kErrorCaption[] = "VPN Connection Error   ";

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif
SessionLink SessionLinkOf(LinkState state) {
    switch (state) {
    case LinkState::Connected:
        return SessionLink::Connected;
    case LinkState::Reconnecting:
        return SessionLink::Reconnecting;
    case LinkState::Down:
        return SessionLink::Down;
    case LinkState::Stopped:
        return SessionLink::Stopped;
    }
    return SessionLink::None;
}
} // namespace

BEGIN_MESSAGE_MAP(CVPNLoginDlg, CDialog)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_WM_CTLCOLOR()
    ON_WM_QUERYDRAGICON()
    ON_WM_TIMER()
    ON_MESSAGE(WM_POWERBROADCAST, &CVPNLoginDlg::OnPowerBroadcast)
    ON_MESSAGE(WM_DPICHANGED, &CVPNLoginDlg::OnDpiChanged)
    ON_MESSAGE(LinkTrayIcon::kCallbackMessage, &CVPNLoginDlg::OnTrayNotify)
    ON_MESSAGE(WM_LOGIN_HIDE, &CVPNLoginDlg::OnLoginHide)
    ON_MESSAGE(WM_LOGIN_FAILED, &CVPNLoginDlg::OnLoginFailed)
    ON_MESSAGE(WM_LOGIN_FINISHED, &CVPNLoginDlg::OnLoginFinished)
    ON_MESSAGE(WM_LOGIN_STATUS, &CVPNLoginDlg::OnLoginStatus)
    ON_MESSAGE(WM_LOGIN_READY, &CVPNLoginDlg::OnLoginReady)
    ON_MESSAGE(WM_LOGIN_LINK, &CVPNLoginDlg::OnLoginLink)
    ON_MESSAGE(WM_DESTROY, &CVPNLoginDlg::OnDestroy)
    ON_COMMAND(IDM_TRAY_SHOW_STATUS, &CVPNLoginDlg::OnTrayShowStatus)
    ON_COMMAND(IDM_TRAY_RECONNECT, &CVPNLoginDlg::OnTrayReconnect)
    ON_COMMAND(IDM_TRAY_OPEN_LOG, &CVPNLoginDlg::OnTrayOpenLog)
    ON_BN_CLICKED(IDOK, &CVPNLoginDlg::OnLoginClicked)
    ON_EN_CHANGE(IDC_USER_ID, &CVPNLoginDlg::OnCredentialsChanged)
    ON_EN_CHANGE(IDC_PASSWORD, &CVPNLoginDlg::OnCredentialsChanged)
END_MESSAGE_MAP()

CVPNLoginDlg::CVPNLoginDlg(CWnd* pParent)
    : CDialog(IDD, pParent), m_layout(*this, IDD), m_strip(*this), m_hIcon(AfxGetApp()->LoadIcon(IDI_LOGIN_ICON)),
      m_worker(nullptr), m_configHost(StartupSettings::kConfigHostPreset),
      m_configPort(StartupSettings::kConfigPortPreset), m_linkWorker(0) {}

CVPNLoginDlg::~CVPNLoginDlg() {
    if (m_worker) {
        // The worker hangs up before it ends, so this wait is what keeps the
        // VPN from outliving the program. A worker that has taken credentials
        // ignores the cancel and is waited for to the client's end.
        SendCancel(m_worker);
        WaitForWorkerEnd(m_worker);
        ReleaseWorker(m_worker);
        m_worker = nullptr;
    }
}

void CVPNLoginDlg::DoDataExchange(CDataExchange* pDX) {
    DDX_Control(pDX, IDC_USER_ID, m_userEdit);
    DDX_Control(pDX, IDC_PASSWORD, m_passwordEdit);
    DDX_Text(pDX, IDC_USER_ID, m_userName);
    DDX_Text(pDX, IDC_PASSWORD, m_password);
}

BOOL CVPNLoginDlg::OnInitDialog() {
    CDialog::OnInitDialog();

    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);
    m_layout.FitToScale();
    m_looks.Create();
    // Named whatever the template's order, which is the tab order.
    SetAccessibleName(m_userEdit.GetSafeHwnd(), L"User ID");
    SetAccessibleName(m_passwordEdit.GetSafeHwnd(), L"Password");
    SetAccessibleName(GetDlgItem(IDC_STATUS)->GetSafeHwnd(), L"Status");
    MarkLiveRegion(GetDlgItem(IDC_STATUS)->GetSafeHwnd());

    GetDlgItem(IDOK)->EnableWindow(FALSE);
    GetDlgItem(IDC_STATUS)->ShowWindow(SW_HIDE);

    StartupSettings::LoadConfigServer(m_configHost, m_configPort);

    m_layout.StartCompact();

    CString loginName;
    if (StartupSettings::ReadLoginName(loginName)) {
        m_userEdit.SetWindowText(loginName);
        return TRUE; // the framework focuses the first tab stop: the Password box
    }
    SetWindowPos(&wndTopMost, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    m_userEdit.SetFocus();
    return FALSE;
}

BOOL CVPNLoginDlg::OnEraseBkgnd(CDC* pDC) {
    m_looks.EraseBackground(*this, pDC);
    return TRUE;
}

HBRUSH CVPNLoginDlg::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) {
    return m_looks.ControlColour(pDC, pWnd, nCtlColor);
}

HCURSOR CVPNLoginDlg::OnQueryDragIcon() { return static_cast<HCURSOR>(m_hIcon); }

void CVPNLoginDlg::OnTimer(UINT_PTR nIDEvent) {
    if (m_strip.OnTimer(nIDEvent, m_layout.dpi())) return;
    if (nIDEvent == kRestoredTimerId) {
        KillTimer(kRestoredTimerId);
        if (m_state.RestoredTimeUp()) {
            SupportLog::Write("Dialog hidden again: the link is restored");
            ShowWindow(SW_HIDE);
        }
    }
}

LRESULT CVPNLoginDlg::OnPowerBroadcast(WPARAM event, LPARAM) {
    if (event == PBT_APMRESUMEAUTOMATIC) {
        SupportLog::Write("The system resumed%s", m_linkWorker ? ": the worker is asked to check the link" : "");
        if (m_linkWorker)
            PostThreadMessageA(m_linkWorker, WM_LOGIN_CHECK_LINK, static_cast<WPARAM>(LinkCheckReason::Resumed), 0);
    } else if (event == PBT_APMSUSPEND) {
        SupportLog::Write("The system suspends");
    }
    return TRUE;
}

void CVPNLoginDlg::OnLoginClicked() { OnOK(); }

void CVPNLoginDlg::OnCredentialsChanged() {
    UpdateData(TRUE);
    m_state.CredentialsChanged(!m_userName.IsEmpty() && !m_password.IsEmpty());
    ShowWhatIsAllowed();
}

// The buttons as the state allows them; nothing else enables or disables them.
void CVPNLoginDlg::ShowWhatIsAllowed() {
    GetDlgItem(IDOK)->EnableWindow(m_state.loginEnabled());
    GetDlgItem(IDCANCEL)->EnableWindow(m_state.cancelEnabled());
}

void CVPNLoginDlg::OnOK() {
    // One attempt at a time, also for Enter or an IDOK sent from outside.
    const bool toDiagnosticWorker = m_state.diagnosticWorkerHeld();
    if (!m_state.LoginPressed()) return;
    UpdateData(TRUE);
    CString user = m_userName;
    CString password = m_password;

    m_looks.DrawConnectingText(*this, m_layout.dpi());
    // Painted between paints, so no client could read it from the window.
    SetAccessibleDescription(GetSafeHwnd(), DialogLooks::connectingText());

    ShowWhatIsAllowed();

    m_password.Empty();
    UpdateData(FALSE);

    SupportLog::Write("Login pressed, user ID %s", user.GetString());
    if (toDiagnosticWorker) {
        // The record is kept until the attempt's end: should the dialog end
        // before it all the same, its destructor still waits for the hang-up.
        SendCredentials(m_worker, user, password);
    } else if (!StartLoginWorker(user, password, this)) {
        // Not reported; F8 stays available.
        m_state.LoginNotStarted();
    }
    WipeText(password);
}

void CVPNLoginDlg::OnCancel() {
    // While an attempt runs only its final notification may end the dialog:
    // Cancel, Esc, Close and an IDCANCEL from anywhere are all ignored.
    if (!m_state.CloseAsked()) return;
    SupportLog::Write("Cancel: the dialog closes");
    CDialog::OnCancel();
}

BOOL CVPNLoginDlg::PreTranslateMessage(MSG* pMsg) {
    if (pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_F8) {
        OnDiagnosticKey();
        return TRUE;
    }
    return CDialog::PreTranslateMessage(pMsg);
}

LRESULT CVPNLoginDlg::OnLoginHide(WPARAM, LPARAM) {
    SupportLog::Write("Dialog hidden while the trading client runs");
    m_state.ClientStarted();
    ShowWindow(SW_HIDE);
    Sleep(0);
    return 0;
}

LRESULT CVPNLoginDlg::OnLoginFinished(WPARAM, LPARAM) {
    SupportLog::Write("The attempt has ended: the dialog closes");
    m_state.AttemptFinished();
    m_tray.Remove();
    m_linkWorker = 0;
    KillTimer(kRestoredTimerId);
    // The worker posts this once it has hung up: nothing is left to wait for.
    ReleaseWorker(m_worker);
    m_worker = nullptr;
    CDialog::OnOK();
    return 0;
}

LRESULT CVPNLoginDlg::OnLoginFailed(WPARAM, LPARAM lParam) {
    char* text = reinterpret_cast<char*>(lParam);
    if (text) {
        SupportLog::Write("Message box \"%s\": %s", kErrorCaption, text);
        ::MessageBoxA(GetSafeHwnd(), text, kErrorCaption, MB_OK);
        free(text);
    }
    m_state.AttemptFailed();
    ShowWindow(SW_SHOW);
    Invalidate(TRUE);
    SetAccessibleDescription(GetSafeHwnd(), nullptr);
    ShowWhatIsAllowed();
    // A diagnostic run that failed never reaches its ready notification.
    m_strip.Stop();
    ReleaseWorker(m_worker);
    m_worker = nullptr;
    // The session, if there was one, is over: its icon, its worker, whose
    // thread identifier may soon name another thread, and its outage.
    m_tray.Remove();
    m_linkWorker = 0;
    KillTimer(kRestoredTimerId);
    SupportLog::Write("The attempt failed: the dialog is shown again");
    return 0;
}

LRESULT CVPNLoginDlg::OnLoginStatus(WPARAM, LPARAM lParam) {
    char* text = reinterpret_cast<char*>(lParam);
    if (m_state.StatusTextArrived()) {
        RevealStatusArea(text);
        return 0;
    }
    if (text) {
        AppendStatusText(text);
        free(text);
    }
    return 0;
}

void CVPNLoginDlg::RevealStatusArea(char* text) {
    if (text) {
        m_layout.ShowStatusArea();
        SetStatusText(text);
        free(text);
    }
    ShowWindow(SW_SHOW);
    Invalidate(TRUE);
    ShowWhatIsAllowed();
}

LRESULT CVPNLoginDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_tray.OnShellMessage(message)) return 0;
    // A theme, a colour or the high-contrast setting changed while the dialog
    // shows: everything it paints is painted again in the colours now chosen.
    if ((message == WM_SYSCOLORCHANGE || message == WM_SETTINGCHANGE || message == WM_THEMECHANGED) &&
        m_looks.SettingsChanged(message))
        ::RedrawWindow(GetSafeHwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
    return CDialog::WindowProc(message, wParam, lParam);
}

LRESULT CVPNLoginDlg::OnLoginLink(WPARAM, LPARAM lParam) {
    LinkReport* report = reinterpret_cast<LinkReport*>(lParam);
    if (!report) return 0;
    const LinkReaction reaction = m_state.LinkReported(SessionLinkOf(report->state));
    if (m_state.trayIconShown()) {
        m_linkWorker = report->workerThreadId;
        ShowLinkInTray(*report);
    }
    if (reaction.stopRestoredTimer) KillTimer(kRestoredTimerId);
    if (reaction.showText) ShowLinkText(report->text);
    if (reaction.startRestoredTimer) SetTimer(kRestoredTimerId, kRestoredShownMs, nullptr);
    if (reaction.showDialog) {
        // Over the trading client, where the trader may be typing an order:
        // the keyboard stays where it is.
        SupportLog::Write("Dialog shown: the link is down");
        ShowWindow(SW_SHOWNOACTIVATE);
        Invalidate(TRUE);
    }
    free(report);
    return 0;
}

void CVPNLoginDlg::ShowLinkInTray(const LinkReport& report) {
    const bool unrouted = report.state == LinkState::Connected && report.routeFailures != 0;
    m_tray.ShowLink(GetSafeHwnd(), report.state, unrouted, report.text, TrayConnectedIcon(), m_layout.dpi());
}

HICON CVPNLoginDlg::TrayConnectedIcon() const { return m_layout.smallIcon() ? m_layout.smallIcon() : m_hIcon; }

LRESULT CVPNLoginDlg::OnTrayNotify(WPARAM where, LPARAM event) {
    const UINT command =
        m_tray.CommandFor(GetSafeHwnd(), where, event, IsWindowVisible() != FALSE, m_state.reconnectAllowed());
    if (command) OnCommand(command, 0);
    return 0;
}

void CVPNLoginDlg::OnTrayShowStatus() {
    if (IsWindowVisible()) {
        ShowWindow(SW_HIDE);
        return;
    }
    if (!m_tray.linkText().IsEmpty()) ShowLinkText(m_tray.linkText());
    ShowWindow(SW_SHOW);
    Invalidate(TRUE);
}

void CVPNLoginDlg::OnTrayReconnect() {
    SupportLog::Write("Reconnect now chosen in the notification area");
    if (m_linkWorker)
        PostThreadMessageA(m_linkWorker, WM_LOGIN_CHECK_LINK, static_cast<WPARAM>(LinkCheckReason::UserAsked), 0);
}

void CVPNLoginDlg::OnTrayOpenLog() {
    char path[MAX_PATH];
    if (!SupportLog::FilePath(path) || !TrayIcon::OpenWithShell(path))
        SupportLog::Write("The support log could not be opened");
}

void CVPNLoginDlg::ShowLinkText(const char* text) {
    m_layout.ShowStatusArea();
    m_state.StatusTextArrived();
    SetStatusText(text);
}

void CVPNLoginDlg::AppendStatusText(const char* text) {
    CWnd* status = GetDlgItem(IDC_STATUS);
    CString shown;
    status->GetWindowText(shown);
    shown += text;
    SetStatusText(shown);
}

// Every text the program puts there is news for a screen reader.
void CVPNLoginDlg::SetStatusText(const char* text) {
    CWnd* status = GetDlgItem(IDC_STATUS);
    status->SetWindowText(text);
    AnnounceNewText(status->GetSafeHwnd());
}

LRESULT CVPNLoginDlg::OnLoginReady(WPARAM, LPARAM) {
    m_state.DiagnosticReady();
    m_strip.Stop();
    Invalidate(TRUE);
    // Ready is news, not a request we answer: after the strip stops it goes
    // on to the dialog manager's own procedure, as it always has.
    return Default();
}

// The system drops what is still queued for a window it destroys; the
// worker frees only what it could not post, so the texts are freed here.
LRESULT CVPNLoginDlg::OnDestroy(WPARAM, LPARAM) {
    FreeUndeliveredNotifications();
    return Default();
}

void CVPNLoginDlg::FreeUndeliveredNotifications() {
    MSG pending;
    while (PeekMessageA(&pending, GetSafeHwnd(), WM_LOGIN_HIDE, WM_LOGIN_LINK, PM_REMOVE)) {
        if (pending.message == WM_LOGIN_FAILED || pending.message == WM_LOGIN_STATUS ||
            pending.message == WM_LOGIN_LINK)
            free(reinterpret_cast<void*>(pending.lParam));
    }
}

void CVPNLoginDlg::OnDiagnosticKey() {
    if (!m_state.DiagnosticKeyPressed()) return;
    m_strip.Start();
    SupportLog::Write("F8 pressed: diagnostic connection");
    m_worker = StartDiagnosticWorker(m_configHost, static_cast<unsigned short>(m_configPort), this);
    if (!m_worker) {
        m_strip.Stop();
        m_state.DiagnosticNotStarted();
    }
}

LRESULT CVPNLoginDlg::OnDpiChanged(WPARAM dpi, LPARAM suggestedRect) {
    const UINT newDpi = LOWORD(dpi);
    if (newDpi == 0) return 0;
    SupportLog::Write("The display scale changed from %u to %u dpi", m_layout.dpi(), newDpi);
    if (m_layout.LayOutForDpi(newDpi, reinterpret_cast<const RECT*>(suggestedRect)))
        m_tray.ShowAgain(GetSafeHwnd(), TrayConnectedIcon(), m_layout.dpi());
    return 0;
}
