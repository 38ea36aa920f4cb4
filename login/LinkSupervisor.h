#pragma once
// The link while the trading client runs: asked about every second, dialled
// again when it is lost (at once, then 2, 4, 8 and 16 s after the loss was
// noticed, then every 30 s for as long as the client runs), its routes put back
// with the new client address after every successful dial. Errors of the
// account, which no retry can mend, stop the dials. Every change goes to the
// dialog as a LinkReport and to the support log. Runs on the worker's thread,
// between its waits for the client.
#include <windows.h>

#include "LoginMessages.h"

#include <CString.h>
#include <VpnLink.h>

class LinkSupervisor {
public:
    LinkSupervisor(VpnLink& link, HWND dialogWindow);
    LinkSupervisor(const LinkSupervisor&) = delete;
    LinkSupervisor& operator=(const LinkSupervisor&) = delete;

    // How long the worker may wait for the client before the next step is due.
    DWORD MillisecondsToNextStep() const;
    // Whatever is due: a question to RAS, a dial, a report of a long outage.
    void Step();
    // The system resumed: ask now, and dial at once if down. The user asked
    // ("Reconnect now"): hang up and dial again, whatever RAS says.
    void CheckNow(LinkCheckReason reason);

private:
    enum class Phase { Watching, Redialling, Stopped };

    void Watch();
    void NoticeLoss(DWORD answer, DWORD state, DWORD error);
    void ReconnectAsked();
    void BeginRedials();
    void StartFreshDials();
    void DialAgain();
    void Report(LinkState state);
    CString OutageText() const;

    VpnLink& m_link;
    HWND m_dialogWindow;
    Phase m_phase;
    DWORD m_nextStep;      // GetTickCount time of the next question or dial
    DWORD m_lossNoticed;   // GetTickCount time the loss was noticed
    SYSTEMTIME m_lossTime; // the same, for the texts
    int m_dials;           // dials since the loss
    bool m_toldLong;       // the dialog knows the outage is a long one
    CString m_stopReason;
    CString m_addressBeforeLoss;
};
