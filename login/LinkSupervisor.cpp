#include "LinkSupervisor.h"

#include "LoginWorker.h"

#include <SupportLog.h>

#include <raserror.h>

#include <cstddef>
#include <cstring>

namespace {

// RAS gets a question at least this often while the link is up: a lost link is
// dialled again within a few seconds, and the question costs next to nothing.
const DWORD kWatchPeriodMs = 1000;
// An outage longer than this brings the dialog back to tell the user.
const DWORD kLongOutageMs = 20000;

// When the next dial is due, after `dials` dials since the loss, counted from
// the moment the loss was noticed: 2, 4, 8 and 16 s, then every 30 s.
DWORD NextDialAfterLoss(int dials) {
    static const DWORD kFirst[] = {0, 2000, 4000, 8000, 16000};
    if (dials < 5) return kFirst[dials];
    return 16000 + static_cast<DWORD>(dials - 4) * 30000;
}

// The gateway refused the account: dialling again would only be refused again
// (and might lock the account).
bool NoRetryMends(DWORD error) {
    return error == ERROR_AUTHENTICATION_FAILURE || error == ERROR_RESTRICTED_LOGON_HOURS ||
           error == ERROR_ACCT_DISABLED || error == ERROR_PASSWD_EXPIRED || error == ERROR_NO_DIALIN_PERMISSION;
}

bool Due(DWORD now, DWORD at) { return static_cast<LONG>(now - at) >= 0; }

CString ClockText(const SYSTEMTIME& time) {
    CString text;
    text.Format("%02u:%02u:%02u", time.wHour, time.wMinute, time.wSecond);
    return text;
}

CString Now() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return ClockText(now);
}

} // namespace

LinkSupervisor::LinkSupervisor(VpnLink& link, HWND dialogWindow)
    : m_link(link), m_dialogWindow(dialogWindow), m_phase(Phase::Watching), m_nextStep(GetTickCount() + kWatchPeriodMs),
      m_lossNoticed(0), m_dials(0), m_toldLong(false) {
    ZeroMemory(&m_lossTime, sizeof m_lossTime);
    SupportLog::Write("The link is watched while the trading client runs");
    Report(LinkState::Connected);
}

DWORD LinkSupervisor::MillisecondsToNextStep() const {
    if (m_phase == Phase::Stopped) return INFINITE;
    DWORD now = GetTickCount();
    DWORD wait = Due(now, m_nextStep) ? 0 : m_nextStep - now;
    if (m_phase == Phase::Redialling && !m_toldLong) {
        DWORD tell = m_lossNoticed + kLongOutageMs;
        DWORD untilTell = Due(now, tell) ? 0 : tell - now;
        if (untilTell < wait) wait = untilTell;
    }
    return wait;
}

void LinkSupervisor::Step() {
    DWORD now = GetTickCount();
    if (m_phase == Phase::Redialling && !m_toldLong && Due(now, m_lossNoticed + kLongOutageMs)) {
        m_toldLong = true;
        SupportLog::Write("The link has been down for over %lu s: the dialog shows the outage", kLongOutageMs / 1000);
        Report(LinkState::Down);
    }
    if (m_phase == Phase::Stopped || !Due(now, m_nextStep)) return;
    if (m_phase == Phase::Watching)
        Watch();
    else
        DialAgain();
}

void LinkSupervisor::CheckNow(LinkCheckReason reason) {
    if (reason == LinkCheckReason::UserAsked) {
        ReconnectAsked();
        return;
    }
    SupportLog::Write("The system resumed: the link is checked at once");
    switch (m_phase) {
    case Phase::Watching:
        Watch();
        break;
    case Phase::Redialling:
        DialAgain();
        break;
    case Phase::Stopped:
        StartFreshDials();
        DialAgain();
        break;
    }
}

// The user asks when the link looks dead to them, which is exactly when RAS
// may not have noticed yet (after sleep, or a gateway's restart): whatever RAS
// says, the link is hung up and dialled again, its routes put back.
void LinkSupervisor::ReconnectAsked() {
    SupportLog::Write("Reconnect asked for by the user: the link is hung up and dialled again");
    switch (m_phase) {
    case Phase::Watching:
        BeginRedials();
        break;
    case Phase::Redialling:
        break;
    case Phase::Stopped:
        StartFreshDials();
        break;
    }
    DialAgain();
}

// After the dials had stopped: a fresh round, counted from now.
void LinkSupervisor::StartFreshDials() {
    m_phase = Phase::Redialling;
    m_lossNoticed = GetTickCount();
    m_dials = 0;
}

void LinkSupervisor::Watch() {
    DWORD answer = 0, state = 0, error = 0;
    if (m_link.IsConnected(answer, state, error)) {
        m_nextStep = GetTickCount() + kWatchPeriodMs;
        return;
    }
    NoticeLoss(answer, state, error);
}

void LinkSupervisor::NoticeLoss(DWORD answer, DWORD state, DWORD error) {
    SupportLog::Write("The link is lost: RasGetConnectStatus answered %lu, state %lu, error %lu", answer, state, error);
    BeginRedials();
    DialAgain();
}

void LinkSupervisor::BeginRedials() {
    m_lossNoticed = GetTickCount();
    GetLocalTime(&m_lossTime);
    m_dials = 0;
    m_toldLong = false;
    m_addressBeforeLoss = m_link.ClientAddress();
    m_phase = Phase::Redialling;
    Report(LinkState::Reconnecting);
}

void LinkSupervisor::DialAgain() {
    ++m_dials;
    SupportLog::Write("Dial %d since the loss", m_dials);
    DWORD result = m_link.Reconnect();
    DWORD now = GetTickCount();
    if (result == 0) {
        SupportLog::Write("The link is restored after an outage of %lu ms: client address %s before, %s now",
                          now - m_lossNoticed, m_addressBeforeLoss.GetString(), m_link.ClientAddress().GetString());
        m_phase = Phase::Watching;
        m_nextStep = now + kWatchPeriodMs;
        Report(LinkState::Connected);
        return;
    }
    if (NoRetryMends(result)) {
        m_phase = Phase::Stopped;
        m_stopReason = m_link.LastError();
        SupportLog::Write("No more dials after %d: %s", m_dials, m_stopReason.GetString());
        Report(LinkState::Stopped);
        return;
    }
    DWORD next = m_lossNoticed + NextDialAfterLoss(m_dials);
    m_nextStep = Due(now, next) ? now : next;
    SupportLog::Write("Dial %d since the loss failed: %s; the next in %lu ms", m_dials, m_link.LastError().GetString(),
                      m_nextStep - now);
    Report(m_toldLong ? LinkState::Down : LinkState::Reconnecting);
}

CString LinkSupervisor::OutageText() const {
    CString dials;
    dials.Format("%d", m_dials);
    CString text = "VPN link down since " + ClockText(m_lossTime) + " (client address " + m_addressBeforeLoss +
                   ")\r\nDials tried: " + dials + "\r\n";
    if (m_phase == Phase::Stopped) return text + "No more dials: " + m_stopReason;
    CString seconds;
    DWORD now = GetTickCount();
    seconds.Format("%lu", Due(now, m_nextStep) ? 0ul : (m_nextStep - now + 999) / 1000);
    return text + "Next dial in " + seconds + " s";
}

void LinkSupervisor::Report(LinkState state) {
    const RouteOutcome& routes = m_link.Routes();
    const bool unrouted = state == LinkState::Connected && !routes.Routed();
    CString text = state == LinkState::Connected
                       ? "VPN link up since " + Now() + "\r\nClient address " + m_link.ClientAddress()
                       : OutageText();
    if (unrouted) text += "\r\n" + CString(kUnroutedText) + "\r\n" + routes.Summary();
    size_t size = offsetof(LinkReport, text) + static_cast<size_t>(text.GetLength()) + 1;
    LinkReport* report = static_cast<LinkReport*>(g_loginSeams.allocText(size));
    if (report) {
        report->state = state;
        report->workerThreadId = GetCurrentThreadId();
        report->routeFailures = unrouted ? static_cast<DWORD>(routes.failed) : 0;
        std::memcpy(report->text, text.GetString(), static_cast<size_t>(text.GetLength()) + 1);
    }
    if (!PostMessageA(m_dialogWindow, WM_LOGIN_LINK, 0, reinterpret_cast<LPARAM>(report)) && report)
        g_loginSeams.freeText(report);
}
