#pragma once
// What the login dialog lets the user do, and what it shows, in each of its
// states: one place that every handler tells what happened and asks what is
// allowed. It holds no window and makes no system call, so that its rules can
// be checked as plain tables.
//
// The rule it keeps above all: while an attempt runs, from Login to the
// attempt's final notification (the supervised session included), nothing but
// that notification closes the dialog. Cancel stays disabled for the whole of
// it, and Esc, Close and an IDCANCEL from anywhere are ignored, so the program
// never ends while a link it dialled is up.

enum class DialogPhase {
    Ready,                // waiting for the user
    DiagnosticConnecting, // F8: the diagnostic dial runs, the strip moves
    DiagnosticWaiting,    // F8: tunnel and probe reported, the worker waits for Login
    Attempt,              // Login pressed: connecting, routes, starting the client
    Hidden,               // the trading client runs, the link is supervised
    Closed,               // the modal run has ended
};

// The supervised link, as its last report gave it; None outside the session.
// A further state (for instance a link that is up but not routed) joins here
// with its own row in the answers below.
enum class SessionLink { None, Connected, Reconnecting, Down, Stopped };

// The notification-area icon's picture.
enum class TrayPicture { None, Connected, Warning, Error };

// What the dialog does with a report of the link.
struct LinkReaction {
    bool showText = false;           // the report's text goes into the status box
    bool showDialog = false;         // the dialog is shown, without taking the keyboard
    bool startRestoredTimer = false; // it goes again once the restored link has been seen
    bool stopRestoredTimer = false;
};

class DialogState {
public:
    DialogState() = default;

    // --- What happened ---
    // The edit boxes changed; `bothFilled` when both hold text.
    void CredentialsChanged(bool bothFilled);
    // Login (the button, Enter or an IDOK from anywhere). False when ignored:
    // one attempt at a time. Ask `diagnosticWorkerHeld` before: its worker
    // takes the credentials.
    bool LoginPressed();
    // The login worker could not be started: nothing runs, F8 is open again.
    void LoginNotStarted();
    // F8. True when a diagnostic run is to start.
    bool DiagnosticKeyPressed();
    void DiagnosticNotStarted();
    // A status text; true for the first, which reveals the status area.
    bool StatusTextArrived();
    void DiagnosticReady();
    void ClientStarted();
    LinkReaction LinkReported(SessionLink link);
    // The pause after a restored link is over: true when the dialog goes again.
    bool RestoredTimeUp();
    void AttemptFailed();
    void AttemptFinished();
    // Cancel, Esc, Close or an IDCANCEL: true when the dialog is to close.
    bool CloseAsked();

    // --- What is allowed and shown ---
    DialogPhase phase() const { return m_phase; }
    SessionLink link() const { return m_link; }
    bool loginEnabled() const { return m_loginEnabled; }
    bool cancelEnabled() const { return m_cancelEnabled && !attemptRunning() && m_phase != DialogPhase::Closed; }
    bool closeAllowed() const { return cancelEnabled(); }
    bool diagnosticKeyAllowed() const { return m_phase == DialogPhase::Ready; }
    // A diagnostic worker is held: Login hands it the credentials.
    bool diagnosticWorkerHeld() const {
        return m_phase == DialogPhase::DiagnosticConnecting || m_phase == DialogPhase::DiagnosticWaiting;
    }
    // From Login to the attempt's final notification.
    bool attemptRunning() const { return m_phase == DialogPhase::Attempt || m_phase == DialogPhase::Hidden; }
    bool statusAreaShown() const { return m_statusShown; }
    bool trayIconShown() const { return m_link != SessionLink::None; }
    TrayPicture trayPicture() const;
    // The icon's menu: "Reconnect now" once the session's worker has reported.
    bool reconnectAllowed() const { return m_link != SessionLink::None; }
    // The dialog shows because an outage brought it back.
    bool shownForOutage() const { return m_shownForOutage; }

private:
    DialogPhase m_phase = DialogPhase::Ready;
    SessionLink m_link = SessionLink::None;
    bool m_loginEnabled = false;
    bool m_cancelEnabled = true;
    bool m_statusShown = false;
    bool m_shownForOutage = false;
};
