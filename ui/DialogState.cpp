#include "DialogState.h"

void DialogState::CredentialsChanged(bool bothFilled) {
    // The edit boxes stay open while an attempt runs; a password typed again
    // then must not offer a second Login beside it.
    m_loginEnabled = bothFilled && !attemptRunning() && m_phase != DialogPhase::Closed;
}

bool DialogState::LoginPressed() {
    if (attemptRunning() || m_phase == DialogPhase::Closed) return false;
    m_phase = DialogPhase::Attempt;
    m_loginEnabled = false;
    m_cancelEnabled = false;
    return true;
}

// Not reported: Login and Cancel stay as Login left them, and a password typed
// again offers Login once more.
void DialogState::LoginNotStarted() {
    if (m_phase == DialogPhase::Attempt && m_link == SessionLink::None) m_phase = DialogPhase::Ready;
}

bool DialogState::DiagnosticKeyPressed() {
    if (!diagnosticKeyAllowed()) return false;
    m_phase = DialogPhase::DiagnosticConnecting;
    return true;
}

void DialogState::DiagnosticNotStarted() {
    if (m_phase == DialogPhase::DiagnosticConnecting) m_phase = DialogPhase::Ready;
}

bool DialogState::StatusTextArrived() {
    if (m_statusShown) return false;
    m_statusShown = true;
    // The status area offers Cancel for the diagnostic run it reports on, never
    // for an attempt that the user has started with Login meanwhile.
    if (!attemptRunning()) m_cancelEnabled = true;
    return true;
}

void DialogState::DiagnosticReady() {
    if (m_phase == DialogPhase::DiagnosticConnecting) m_phase = DialogPhase::DiagnosticWaiting;
}

void DialogState::ClientStarted() {
    if (m_phase == DialogPhase::Attempt) m_phase = DialogPhase::Hidden;
}

LinkReaction DialogState::LinkReported(SessionLink link) {
    LinkReaction reaction;
    // Only the session's worker reports, from the client's start (before the
    // dialog hides) to its attempt's end; nothing after that end counts.
    if (!attemptRunning() || link == SessionLink::None) return reaction;
    m_link = link;
    switch (link) {
    case SessionLink::Connected:
        reaction.showText = m_shownForOutage;
        reaction.startRestoredTimer = m_shownForOutage;
        break;
    case SessionLink::Reconnecting:
        reaction.showText = m_shownForOutage;
        break;
    case SessionLink::Down:
    case SessionLink::Stopped:
        // The user cannot end the attempt from here: the trading client is
        // never touched, and only its end ends the program.
        reaction.stopRestoredTimer = true;
        reaction.showText = true;
        reaction.showDialog = !m_shownForOutage;
        m_shownForOutage = true;
        break;
    case SessionLink::None:
        break;
    }
    return reaction;
}

bool DialogState::RestoredTimeUp() {
    // A pause that ran out after the link was lost again keeps the dialog.
    if (!m_shownForOutage || m_link != SessionLink::Connected) return false;
    m_shownForOutage = false;
    return true;
}

void DialogState::AttemptFailed() {
    if (m_phase == DialogPhase::Closed) return;
    m_phase = DialogPhase::Ready;
    m_cancelEnabled = true;
    m_link = SessionLink::None;
    m_shownForOutage = false;
}

void DialogState::AttemptFinished() {
    m_phase = DialogPhase::Closed;
    m_link = SessionLink::None;
    m_shownForOutage = false;
}

bool DialogState::CloseAsked() {
    if (!closeAllowed()) return false;
    m_phase = DialogPhase::Closed;
    return true;
}

TrayPicture DialogState::trayPicture() const {
    switch (m_link) {
    case SessionLink::Connected:
        return TrayPicture::Connected;
    case SessionLink::Reconnecting:
        return TrayPicture::Warning;
    case SessionLink::Down:
    case SessionLink::Stopped:
        return TrayPicture::Error;
    case SessionLink::None:
        break;
    }
    return TrayPicture::None;
}
