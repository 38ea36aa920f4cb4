#include "CVPNLoginDlg.h"

#include <algorithm>
#include <cstdlib>

#include "DialogTemplateLayout.h"
#include "DpiScale.h"
#include "LoginMessages.h"
#include "LoginWorker.h"
#include "StartupSettings.h"
#include "SupportLog.h"

namespace {
const COLORREF kBackgroundColour = RGB(107, 132, 115);
const COLORREF kStatusColour = RGB(160, 198, 172);
const COLORREF kEditColour = RGB(255, 255, 255);

// The status area: the dialog is this much shorter, and its buttons this much
// higher, while the status box is hidden.
const int LAYOUT_SHIFT = 67;

const UINT_PTR ANIMATION_TIMER_ID = 6969;
// After an outage that brought the dialog back, it goes again this long after
// the link is restored, so that the user sees that it is.
const UINT_PTR kRestoredTimerId = 6970;
const UINT kRestoredShownMs = 4000;
// The notification-area icon's mouse messages.
const UINT WM_TRAY_NOTIFY = WM_APP + 120;
const char kProductName[] = "Quillmarsh VPN";
const UINT kAnimationPeriodMs = 150;
const int kFirstFrame = IDB_PROGRESS_FIRST;
const int kLastFrame = IDB_PROGRESS_LAST;
const int kStripX = 4;
const int kStripY = 124;

const char kConnectingText[] = "CONNECTING TO NETWORK ...";
const int kConnectingX = 66;
const int kConnectingY = 127;
const char kErrorCaption[] = "VPN Connection Error   ";
const int kStripWidth = 297;
const int kStripHeight = 22;
const int kBannerWidth = 284;
const int kBannerHeight = 54;
// The banner's place among the template's controls, which are also the
// dialog's children in Z order.
const size_t kBannerIndex = 6;

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif
} // namespace

BEGIN_MESSAGE_MAP(CVPNLoginDlg, CDialog)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_WM_CTLCOLOR()
    ON_WM_QUERYDRAGICON()
    ON_WM_TIMER()
    ON_MESSAGE(WM_POWERBROADCAST, &CVPNLoginDlg::OnPowerBroadcast)
    ON_MESSAGE(WM_DPICHANGED, &CVPNLoginDlg::OnDpiChanged)
    ON_MESSAGE(WM_TRAY_NOTIFY, &CVPNLoginDlg::OnTrayNotify)
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
    : CDialog(IDD, pParent), m_frame(0), m_frameStep(0), m_windowRect(), m_loginRect(), m_cancelRect(),
      m_hIcon(AfxGetApp()->LoadIcon(IDI_LOGIN_ICON)), m_dpi(kBaseDpi), m_bigIcon(nullptr), m_smallIcon(nullptr),
      m_worker(nullptr), m_configHost(StartupSettings::kConfigHostPreset),
      m_configPort(StartupSettings::kConfigPortPreset), m_statusShown(false), m_attemptRunning(false), m_linkWorker(0),
      m_shownForOutage(false), m_linkState(LinkState::Connected), m_unrouted(false),
      m_taskbarCreated(RegisterWindowMessageA("TaskbarCreated")) {}

CVPNLoginDlg::~CVPNLoginDlg() {
    if (m_worker) {
        // The worker hangs up before it ends, so this wait is what keeps the
        // VPN from outliving the program.
        SendCancel(m_worker);
        WaitForWorkerEnd(m_worker);
        ReleaseWorker(m_worker);
        m_worker = nullptr;
    }
    // The window, which showed them, is gone by now.
    if (m_bigIcon) DestroyIcon(m_bigIcon);
    if (m_smallIcon) DestroyIcon(m_smallIcon);
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
    m_dpi = WindowDpi(GetSafeHwnd());
    LeaveDpiChangesToTheDialog(GetSafeHwnd());
    ShowArtForDpi();
    FitLabelsToText();
    RECT client;
    GetClientRect(&client);
    const int widen = ClientWidthForBanner(client.right) - client.right;
    if (widen > 0) {
        // Still centred, as the dialog manager placed it by the template's size.
        RECT frame;
        GetWindowRect(&frame);
        SetWindowPos(nullptr, frame.left - widen / 2, frame.top, frame.right - frame.left + widen,
                     frame.bottom - frame.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    m_backgroundBrush.CreateSolidBrush(kBackgroundColour);
    m_statusBrush.CreateSolidBrush(kStatusColour);

    GetDlgItem(IDOK)->EnableWindow(FALSE);
    GetDlgItem(IDC_STATUS)->ShowWindow(SW_HIDE);

    StartupSettings::LoadConfigServer(m_configHost, m_configPort);

    GetDlgItem(IDOK)->GetWindowRect(&m_loginRect);
    ScreenToClient(&m_loginRect);
    GetDlgItem(IDCANCEL)->GetWindowRect(&m_cancelRect);
    ScreenToClient(&m_cancelRect);
    GetWindowRect(&m_windowRect);
    MoveButtonsBy(-LayoutShift());
    m_windowRect.bottom -= LayoutShift();
    SetWindowPos(nullptr, 0, 0, m_windowRect.right - m_windowRect.left, m_windowRect.bottom - m_windowRect.top,
                 SWP_NOMOVE | SWP_NOZORDER);

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
    RECT client;
    GetClientRect(&client);
    pDC->FillRect(&client, &m_backgroundBrush);
    return TRUE;
}

HBRUSH CVPNLoginDlg::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) {
    const bool isStatus = pWnd->GetDlgCtrlID() == IDC_STATUS;
    HBRUSH brush = isStatus ? static_cast<HBRUSH>(m_statusBrush) : static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    switch (nCtlColor) {
    case CTLCOLOR_STATIC:
        pDC->SetBkColor(isStatus ? kStatusColour : kBackgroundColour);
        // The labels' rectangles are filled with this brush wherever their
        // text is narrower than the control: it must be the dialog's colour.
        return isStatus ? brush : static_cast<HBRUSH>(m_backgroundBrush);
    case CTLCOLOR_EDIT:
        pDC->SetBkColor(kEditColour);
        return static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    default:
        return brush;
    }
}

HCURSOR CVPNLoginDlg::OnQueryDragIcon() { return static_cast<HCURSOR>(m_hIcon); }

void CVPNLoginDlg::OnTimer(UINT_PTR nIDEvent) {
    if (nIDEvent == ANIMATION_TIMER_ID) DrawNextFrame();
    if (nIDEvent == kRestoredTimerId) {
        KillTimer(kRestoredTimerId);
        if (m_shownForOutage) {
            m_shownForOutage = false;
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
    // The edit boxes stay open while an attempt runs; a password typed again
    // then must not offer a second Login beside it.
    GetDlgItem(IDOK)->EnableWindow(!m_attemptRunning && !m_userName.IsEmpty() && !m_password.IsEmpty());
}

void CVPNLoginDlg::OnOK() {
    // One attempt at a time, also for Enter or an IDOK sent from outside.
    if (m_attemptRunning) return;
    UpdateData(TRUE);
    CString user = m_userName;
    CString password = m_password;

    CDC* dc = GetDC();
    dc->SetBkColor(kBackgroundColour);
    dc->SetBkMode(TRANSPARENT);
    dc->TextOut(ScaleToDpi(kConnectingX, m_dpi), ScaleToDpi(kConnectingY, m_dpi), kConnectingText);
    ReleaseDC(dc);

    GetDlgItem(IDOK)->EnableWindow(FALSE);
    GetDlgItem(IDCANCEL)->EnableWindow(FALSE);

    m_password.Empty();
    UpdateData(FALSE);

    SupportLog::Write("Login pressed, user ID %s", user.GetString());
    if (m_worker) {
        SendCredentials(m_worker, user, password);
        ReleaseWorker(m_worker);
        m_worker = nullptr;
        m_attemptRunning = true;
    } else {
        // A worker that did not start is not reported; F8 stays available.
        m_attemptRunning = StartLoginWorker(user, password, this);
    }
}

void CVPNLoginDlg::OnCancel() {
    // While an attempt runs only its final notification may end the dialog:
    // the system's dialog manager ignores Esc and Close while Cancel is
    // disabled, and so do we, whoever sends the command.
    if (!GetDlgItem(IDCANCEL)->IsWindowEnabled()) return;
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
    ShowWindow(SW_HIDE);
    Sleep(0);
    return 0;
}

LRESULT CVPNLoginDlg::OnLoginFinished(WPARAM, LPARAM) {
    SupportLog::Write("The attempt has ended: the dialog closes");
    m_tray.Remove();
    m_attemptRunning = false;
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
    ShowWindow(SW_SHOW);
    Invalidate(TRUE);
    GetDlgItem(IDCANCEL)->EnableWindow(TRUE);
    // A diagnostic run that failed never reaches its ready notification.
    StopAnimation();
    if (m_worker) {
        ReleaseWorker(m_worker);
        m_worker = nullptr;
    }
    m_attemptRunning = false;
    SupportLog::Write("The attempt failed: the dialog is shown again");
    return 0;
}

LRESULT CVPNLoginDlg::OnLoginStatus(WPARAM, LPARAM lParam) {
    char* text = reinterpret_cast<char*>(lParam);
    if (!m_statusShown) {
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
        m_windowRect.bottom += LayoutShift();
        SetWindowPos(nullptr, 0, 0, m_windowRect.right - m_windowRect.left, m_windowRect.bottom - m_windowRect.top,
                     SWP_NOMOVE | SWP_NOZORDER);
        MoveButtonsBy(LayoutShift());
        CWnd* status = GetDlgItem(IDC_STATUS);
        status->ShowWindow(SW_SHOW);
        status->SetWindowText(text);
        free(text);
    }
    ShowWindow(SW_SHOW);
    Invalidate(TRUE);
    GetDlgItem(IDCANCEL)->EnableWindow(TRUE);
    m_statusShown = true;
}

LRESULT CVPNLoginDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == m_taskbarCreated && m_taskbarCreated != 0) {
        m_tray.AddAgain();
        return 0;
    }
    return CDialog::WindowProc(message, wParam, lParam);
}

LRESULT CVPNLoginDlg::OnLoginLink(WPARAM, LPARAM lParam) {
    LinkReport* report = reinterpret_cast<LinkReport*>(lParam);
    if (!report) return 0;
    m_linkWorker = report->workerThreadId;
    const bool wasUnrouted = m_unrouted;
    m_unrouted = report->state == LinkState::Connected && report->routeFailures != 0;
    ShowLinkInTray(report->state, report->text);
    // Never a quiet "connected" while the firm's traffic goes elsewhere.
    if (m_unrouted && !wasUnrouted) {
        SupportLog::Write("Tray: %s", kUnroutedText);
        m_tray.Balloon(kProductName, kUnroutedText);
    }
    switch (report->state) {
    case LinkState::Connected:
        if (m_shownForOutage) {
            ShowLinkText(report->text);
            SetTimer(kRestoredTimerId, kRestoredShownMs, nullptr);
        }
        break;
    case LinkState::Reconnecting:
        if (m_shownForOutage) ShowLinkText(report->text);
        break;
    case LinkState::Down:
    case LinkState::Stopped:
        // The user cannot end the attempt from here: the trading client is
        // never touched, and only its end ends the program.
        KillTimer(kRestoredTimerId);
        ShowLinkText(report->text);
        if (!m_shownForOutage) {
            SupportLog::Write("Dialog shown: the link is down");
            ShowWindow(SW_SHOW);
            Invalidate(TRUE);
        }
        m_shownForOutage = true;
        break;
    }
    free(report);
    return 0;
}

void CVPNLoginDlg::ShowLinkInTray(LinkState state, const char* text) {
    static const char* const kStateWords[] = {"connected", "reconnecting", "down", "down"};
    const LinkState before = m_linkState;
    const bool first = !m_tray.shown();
    m_linkState = state;
    m_linkText = text;
    // The tooltip breaks its lines at \n alone.
    CString tooltip =
        CString(kProductName) + ": " + (m_unrouted ? kUnroutedText : kStateWords[static_cast<int>(state)]);
    tooltip += "\n";
    for (const char* at = text; *at; ++at)
        if (*at != '\r') tooltip += CString(at, 1);
    HICON icon = m_unrouted                         ? LoadIcon(nullptr, IDI_WARNING)
                 : state == LinkState::Connected    ? (m_smallIcon ? m_smallIcon : m_hIcon)
                 : state == LinkState::Reconnecting ? LoadIcon(nullptr, IDI_WARNING)
                                                    : LoadIcon(nullptr, IDI_ERROR);
    m_tray.Show(GetSafeHwnd(), WM_TRAY_NOTIFY, icon, tooltip);
    if (first) return;
    if (before == LinkState::Connected && state != LinkState::Connected)
        m_tray.Balloon(kProductName, "The VPN link is lost: dialling again");
    else if (before != LinkState::Connected && state == LinkState::Connected && !m_unrouted)
        m_tray.Balloon(kProductName, "The VPN link is back");
}

LRESULT CVPNLoginDlg::OnTrayNotify(WPARAM, LPARAM mouseMessage) {
    if (mouseMessage == WM_RBUTTONUP || mouseMessage == WM_CONTEXTMENU) ShowTrayMenu();
    if (mouseMessage == WM_LBUTTONDBLCLK) OnCommand(IDM_TRAY_SHOW_STATUS, 0);
    return 0;
}

void CVPNLoginDlg::ShowTrayMenu() {
    HMENU menu = CreatePopupMenu();
    if (!menu) return;
    AppendMenuA(menu, MF_STRING, IDM_TRAY_SHOW_STATUS, IsWindowVisible() ? "Hide the status" : "Show the status");
    AppendMenuA(menu, MF_STRING | (m_linkWorker ? 0 : MF_GRAYED), IDM_TRAY_RECONNECT, "Reconnect now");
    AppendMenuA(menu, MF_STRING, IDM_TRAY_OPEN_LOG, "Open the support log");
    POINT at;
    GetCursorPos(&at);
    // Without the foreground the menu would not close when the user clicks
    // elsewhere.
    ::SetForegroundWindow(GetSafeHwnd());
    UINT chosen =
        TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, at.x, at.y, 0, GetSafeHwnd(), nullptr);
    PostMessage(WM_NULL);
    DestroyMenu(menu);
    if (chosen) OnCommand(chosen, 0);
}

void CVPNLoginDlg::OnTrayShowStatus() {
    if (IsWindowVisible()) {
        ShowWindow(SW_HIDE);
        return;
    }
    if (!m_linkText.IsEmpty()) ShowLinkText(m_linkText);
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
    CWnd* status = GetDlgItem(IDC_STATUS);
    if (!m_statusShown) {
        m_windowRect.bottom += LayoutShift();
        SetWindowPos(nullptr, 0, 0, m_windowRect.right - m_windowRect.left, m_windowRect.bottom - m_windowRect.top,
                     SWP_NOMOVE | SWP_NOZORDER);
        MoveButtonsBy(LayoutShift());
        status->ShowWindow(SW_SHOW);
        m_statusShown = true;
    }
    status->SetWindowText(text);
}

void CVPNLoginDlg::AppendStatusText(const char* text) {
    CWnd* status = GetDlgItem(IDC_STATUS);
    CString shown;
    status->GetWindowText(shown);
    shown += text;
    status->SetWindowText(shown);
}

void CVPNLoginDlg::MoveButtonsBy(int dy) {
    m_loginRect.top += dy;
    GetDlgItem(IDOK)->SetWindowPos(nullptr, m_loginRect.left, m_loginRect.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    m_cancelRect.top += dy;
    GetDlgItem(IDCANCEL)->SetWindowPos(nullptr, m_cancelRect.left, m_cancelRect.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

LRESULT CVPNLoginDlg::OnLoginReady(WPARAM, LPARAM) {
    KillTimer(ANIMATION_TIMER_ID);
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
    if (m_worker || m_attemptRunning) return;
    m_frame = kFirstFrame - 1;
    m_frameStep = +1;
    SetTimer(ANIMATION_TIMER_ID, kAnimationPeriodMs, nullptr);
    SupportLog::Write("F8 pressed: diagnostic connection");
    m_worker = StartDiagnosticWorker(m_configHost, static_cast<unsigned short>(m_configPort), this);
    if (!m_worker) StopAnimation();
}

void CVPNLoginDlg::StopAnimation() {
    if (KillTimer(ANIMATION_TIMER_ID)) Invalidate(TRUE);
}

void CVPNLoginDlg::DrawNextFrame() {
    CDC* dc = GetDC();
    m_frame += m_frameStep;
    if (m_frame > kLastFrame) {
        m_frame = kLastFrame - 1;
        m_frameStep = -1;
    }
    if (m_frame < kFirstFrame) {
        m_frame = kFirstFrame + 1;
        m_frameStep = +1;
    }
    const SIZE strip = {ScaleToDpi(kStripWidth, m_dpi), ScaleToDpi(kStripHeight, m_dpi)};
    CBitmap frame;
    frame.Attach(LoadArtAtSize(AfxGetResourceHandle(), ArtForDpi(m_dpi).firstFrame + (m_frame - kFirstFrame), strip));
    BITMAP size = {};
    frame.GetBitmap(&size);

    CDC memory;
    memory.CreateCompatibleDC(dc);
    CBitmap* previous = memory.SelectObject(&frame);
    dc->BitBlt(ScaleToDpi(kStripX, m_dpi), ScaleToDpi(kStripY, m_dpi), size.bmWidth, size.bmHeight, &memory, 0, 0,
               SRCCOPY);
    memory.SelectObject(previous);
    memory.DeleteDC();
    ReleaseDC(dc);
    frame.DeleteObject();
}

int CVPNLoginDlg::LayoutShift() const { return ScaleToDpi(LAYOUT_SHIFT, m_dpi); }

// The banner shows the art drawn for the dialog's scale at the banner's size
// scaled; the static control takes the bitmap's size.
void CVPNLoginDlg::ShowArtForDpi() {
    HINSTANCE module = AfxGetResourceHandle();
    HICON big = LoadIconForDpi(module, IDI_LOGIN_ICON, false, m_dpi);
    HICON small = LoadIconForDpi(module, IDI_LOGIN_ICON, true, m_dpi);
    if (big) SetIcon(big, TRUE);
    if (small) SetIcon(small, FALSE);
    if (m_bigIcon && big) DestroyIcon(m_bigIcon);
    if (m_smallIcon && small) DestroyIcon(m_smallIcon);
    if (big) m_bigIcon = big;
    if (small) m_smallIcon = small;
    if (m_tray.shown()) ShowLinkInTray(m_linkState, m_linkText);

    // At 100 % the template's own bitmap is the art.
    if (m_dpi == kBaseDpi && !m_bannerArt.GetSafeHandle()) return;
    const SIZE banner = {ScaleToDpi(kBannerWidth, m_dpi), ScaleToDpi(kBannerHeight, m_dpi)};
    HBITMAP art = LoadArtAtSize(module, ArtForDpi(m_dpi).banner, banner);
    if (!art) return;
    HWND bannerWindow = BannerWindow();
    if (!bannerWindow) {
        DeleteObject(art);
        return;
    }
    HGDIOBJ replaced = reinterpret_cast<HGDIOBJ>(
        ::SendMessage(bannerWindow, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(art)));
    // The control owns neither bitmap: the one it loaded from the template,
    // or the art set before, is no longer shown and goes.
    if (replaced && replaced != m_bannerArt.GetSafeHandle()) DeleteObject(replaced);
    m_bannerArt.DeleteObject();
    m_bannerArt.Attach(art);
}

LRESULT CVPNLoginDlg::OnDpiChanged(WPARAM dpi, LPARAM suggestedRect) {
    const UINT newDpi = LOWORD(dpi);
    if (newDpi == 0) return 0;
    SupportLog::Write("The display scale changed from %u to %u dpi", m_dpi, newDpi);
    LayOutForDpi(newDpi, reinterpret_cast<const RECT*>(suggestedRect));
    return 0;
}

// Places the controls from the template in the dialog units of the font at
// `dpi`, as the dialog manager would have placed them had the dialog started at
// that scale, and keeps the layout it is in: compact, or with the status area.
void CVPNLoginDlg::LayOutForDpi(UINT dpi, const RECT* suggested) {
    DialogTemplateLayout layout;
    if (!ReadDialogTemplateLayout(AfxGetResourceHandle(), IDD, layout)) return;
    HFONT current = reinterpret_cast<HFONT>(SendMessage(WM_GETFONT));
    HFONT font = CreateDialogFontForDpi(current, layout.pointSize, dpi);
    const SIZE base = font ? DialogBaseUnits(font) : SIZE{0, 0};
    if (!font || base.cx == 0 || base.cy == 0) {
        if (font) DeleteObject(font);
        return;
    }
    m_dpi = dpi;
    const int shift = m_statusShown ? 0 : LayoutShift();

    HWND child = ::GetWindow(GetSafeHwnd(), GW_CHILD);
    for (size_t i = 0; child && i < layout.controls.size(); ++i, child = ::GetWindow(child, GW_HWNDNEXT)) {
        RECT place = MapDialogUnitsToPixels(layout.controls[i], base);
        const int id = ::GetDlgCtrlID(child);
        if (id == IDOK || id == IDCANCEL) OffsetRect(&place, 0, -shift);
        UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
        if (i == kBannerIndex) flags |= SWP_NOSIZE;
        ::SetWindowPos(child, nullptr, place.left, place.top, place.right - place.left, place.bottom - place.top,
                       flags);
        ::SendMessage(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
        if (id == IDOK) m_loginRect = place;
        if (id == IDCANCEL) m_cancelRect = place;
    }
    m_scaledFont.DeleteObject();
    m_scaledFont.Attach(font);
    ShowArtForDpi();
    FitLabelsToText();

    RECT client = MapDialogUnitsToPixels(RECT{0, 0, layout.clientUnits.cx, layout.clientUnits.cy}, base);
    client.right = ClientWidthForBanner(client.right);
    client.bottom -= shift;
    const RECT frame = WindowRectForClient(GetSafeHwnd(), SIZE{client.right, client.bottom}, dpi);
    RECT now;
    GetWindowRect(&now);
    const POINT at = suggested ? POINT{suggested->left, suggested->top} : POINT{now.left, now.top};
    m_windowRect = RECT{at.x, at.y, at.x + frame.right - frame.left, at.y + frame.bottom - frame.top};
    SetWindowPos(nullptr, m_windowRect.left, m_windowRect.top, m_windowRect.right - m_windowRect.left,
                 m_windowRect.bottom - m_windowRect.top, SWP_NOZORDER | SWP_NOACTIVATE);
    // The frame may not yet be the one of the new scale; the client area is
    // what must match the template, so the window takes up any difference.
    RECT given;
    GetClientRect(&given);
    if (given.right != client.right || given.bottom != client.bottom) {
        m_windowRect.right += client.right - given.right;
        m_windowRect.bottom += client.bottom - given.bottom;
        SetWindowPos(nullptr, 0, 0, m_windowRect.right - m_windowRect.left, m_windowRect.bottom - m_windowRect.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    // The strip and the connecting text were drawn for the old scale.
    Invalidate(TRUE);
}

// The dialog units grow with the font, whose widths grow in whole pixels and
// so not quite in proportion with the scale: above 100 % a label can come out
// narrower than its text. Each is widened to hold it, short of the control to
// its right. At 100 % the template is the design and stays as it is.
void CVPNLoginDlg::FitLabelsToText() {
    if (m_dpi == kBaseDpi) return;
    for (HWND label = ::GetWindow(GetSafeHwnd(), GW_CHILD); label; label = ::GetWindow(label, GW_HWNDNEXT)) {
        char className[16] = "";
        char text[64] = "";
        const LONG style = ::GetWindowLong(label, GWL_STYLE);
        if (!::GetClassNameA(label, className, sizeof className) || lstrcmpiA(className, "Static") != 0 ||
            (style & SS_TYPEMASK) != SS_LEFT || ::GetWindowTextA(label, text, sizeof text) <= 0)
            continue;
        RECT place;
        ::GetWindowRect(label, &place);
        ScreenToClient(&place);
        SIZE needed = {};
        HDC dc = ::GetDC(label);
        if (!dc) continue;
        HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessage(label, WM_GETFONT, 0, 0)));
        const BOOL measured = GetTextExtentPoint32A(dc, text, lstrlenA(text), &needed);
        SelectObject(dc, previous);
        ::ReleaseDC(label, dc);
        if (!measured || needed.cx <= place.right - place.left) continue;
        int room = needed.cx;
        for (HWND other = ::GetWindow(GetSafeHwnd(), GW_CHILD); other; other = ::GetWindow(other, GW_HWNDNEXT)) {
            RECT next;
            ::GetWindowRect(other, &next);
            ScreenToClient(&next);
            if (other != label && next.left >= place.right && next.top < place.bottom && next.bottom > place.top)
                room = std::min(room, static_cast<int>(next.left - 1 - place.left));
        }
        if (room > place.right - place.left)
            ::SetWindowPos(label, nullptr, 0, 0, room, place.bottom - place.top,
                           SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

// The banner keeps the margin on its right that it has on its left: where
// the template's width, which grows with the font, falls short of the banner
// art's, which grows with the scale, the client area is widened.
int CVPNLoginDlg::ClientWidthForBanner(int templateWidth) const {
    HWND banner = BannerWindow();
    if (!banner) return templateWidth;
    RECT place;
    ::GetWindowRect(banner, &place);
    ScreenToClient(&place);
    return std::max(templateWidth, static_cast<int>(place.right + place.left));
}

// The template's controls are the dialog's children in their order.
HWND CVPNLoginDlg::BannerWindow() const {
    HWND banner = ::GetWindow(GetSafeHwnd(), GW_CHILD);
    for (size_t i = 0; banner && i < kBannerIndex; ++i) banner = ::GetWindow(banner, GW_HWNDNEXT);
    return banner;
}
