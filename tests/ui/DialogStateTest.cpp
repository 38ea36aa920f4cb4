// The dialog's rules as tables: every event in every state, and what each
// state allows and shows. No window is made.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "DialogState.h"

namespace {

enum Event {
    Login,
    LoginNotStarted,
    F8,
    F8NotStarted,
    Status,
    Ready,
    Hide,
    LinkUp,
    LinkReconnecting,
    LinkDown,
    LinkStopped,
    RestoredTimeUp,
    Failed,
    Finished,
    Close
};

void Apply(DialogState& state, Event event) {
    using Step = void (*)(DialogState&);
    static const Step kSteps[] = {
        [](DialogState& s) { s.LoginPressed(); },
        [](DialogState& s) { s.LoginNotStarted(); },
        [](DialogState& s) { s.DiagnosticKeyPressed(); },
        [](DialogState& s) { s.DiagnosticNotStarted(); },
        [](DialogState& s) { s.StatusTextArrived(); },
        [](DialogState& s) { s.DiagnosticReady(); },
        [](DialogState& s) { s.ClientStarted(); },
        [](DialogState& s) { s.LinkReported(SessionLink::Connected); },
        [](DialogState& s) { s.LinkReported(SessionLink::Reconnecting); },
        [](DialogState& s) { s.LinkReported(SessionLink::Down); },
        [](DialogState& s) { s.LinkReported(SessionLink::Stopped); },
        [](DialogState& s) { s.RestoredTimeUp(); },
        [](DialogState& s) { s.AttemptFailed(); },
        [](DialogState& s) { s.AttemptFinished(); },
        [](DialogState& s) { s.CloseAsked(); },
    };
    kSteps[event](state);
}

DialogState After(const std::vector<Event>& events) {
    DialogState state;
    for (Event event : events) Apply(state, event);
    return state;
}

// Everything a state answers, in one line: the phase, the session's link,
// Login once both boxes hold text, Cancel (and with it Esc and Close), F8,
// the icon's picture, "Reconnect now", and whether an outage shows the dialog.
std::string Answers(const DialogState& state) {
    static const char* const kPhases[] = {"Ready", "DiagConnecting", "DiagWaiting", "Attempt", "Hidden", "Closed"};
    static const char* const kLinks[] = {"-", "up", "reconnecting", "down", "stopped"};
    static const char* const kPictures[] = {"-", "up", "warning", "error"};
    DialogState typed = state;
    typed.CredentialsChanged(true);
    std::string text =
        std::string(kPhases[static_cast<int>(state.phase())]) + " link " + kLinks[static_cast<int>(state.link())];
    text += typed.loginEnabled() ? " login+" : " login-";
    text += state.cancelEnabled() ? " cancel+" : " cancel-";
    text += state.closeAllowed() != state.cancelEnabled() ? " close?" : "";
    text += state.diagnosticKeyAllowed() ? " f8+" : " f8-";
    text += std::string(" icon ") + kPictures[static_cast<int>(state.trayPicture())];
    text += state.trayIconShown() != (state.trayPicture() != TrayPicture::None) ? " icon?" : "";
    text += state.reconnectAllowed() ? " reconnect+" : " reconnect-";
    text += state.shownForOutage() ? " outage" : "";
    return text;
}

// The states, each reached by its events and named by what it answers.
struct NamedState {
    std::vector<Event> reachedBy;
    const char* answers;
};

const std::map<std::string, NamedState> kStates = {
    {"R", {{}, "Ready link - login+ cancel+ f8+ icon - reconnect-"}},
    {"RX", {{Login, LoginNotStarted}, "Ready link - login+ cancel- f8+ icon - reconnect-"}},
    {"D1", {{F8}, "DiagConnecting link - login+ cancel+ f8- icon - reconnect-"}},
    {"D1X", {{Login, LoginNotStarted, F8}, "DiagConnecting link - login+ cancel- f8- icon - reconnect-"}},
    {"D2", {{F8, Ready}, "DiagWaiting link - login+ cancel+ f8- icon - reconnect-"}},
    {"A", {{Login}, "Attempt link - login- cancel- f8- icon - reconnect-"}},
    {"AU", {{Login, LinkUp}, "Attempt link up login- cancel- f8- icon up reconnect+"}},
    {"AR", {{Login, LinkReconnecting}, "Attempt link reconnecting login- cancel- f8- icon warning reconnect+"}},
    {"AD", {{Login, LinkDown}, "Attempt link down login- cancel- f8- icon error reconnect+ outage"}},
    {"AS", {{Login, LinkStopped}, "Attempt link stopped login- cancel- f8- icon error reconnect+ outage"}},
    {"H", {{Login, Hide}, "Hidden link - login- cancel- f8- icon - reconnect-"}},
    {"HU", {{Login, LinkUp, Hide}, "Hidden link up login- cancel- f8- icon up reconnect+"}},
    {"HR",
     {{Login, LinkUp, Hide, LinkReconnecting}, "Hidden link reconnecting login- cancel- f8- icon warning reconnect+"}},
    {"HD", {{Login, LinkUp, Hide, LinkDown}, "Hidden link down login- cancel- f8- icon error reconnect+ outage"}},
    {"HS", {{Login, LinkUp, Hide, LinkStopped}, "Hidden link stopped login- cancel- f8- icon error reconnect+ outage"}},
    {"HDU", {{Login, LinkUp, Hide, LinkDown, LinkUp}, "Hidden link up login- cancel- f8- icon up reconnect+ outage"}},
    {"HDR",
     {{Login, LinkUp, Hide, LinkDown, LinkReconnecting},
      "Hidden link reconnecting login- cancel- f8- icon warning reconnect+ outage"}},
    {"C", {{Close}, "Closed link - login- cancel- f8- icon - reconnect-"}},
};

TEST(DialogStateTest, EachStateAnswersWhatItAllowsAndShows) {
    for (const auto& [name, state] : kStates) EXPECT_EQ(Answers(After(state.reachedBy)), state.answers) << name;
}

// Every event in every state: the state it leads to. A column per state, in
// the order of kColumns; an event a state ignores leaves it as it was.
const char* const kColumns[] = {"R", "RX", "D1", "D2", "A", "AU", "H", "HU", "HR", "HD", "HS", "HDU", "C"};
struct Transitions {
    Event event;
    std::vector<const char*> to;
};
// clang-format off
const Transitions kTransitions[] = {
    //                   R     RX     D1    D2    A     AU    H     HU    HR    HD     HS     HDU    C
    {Login,            {"A",  "A",   "A",  "A",  "A",  "AU", "H",  "HU", "HR", "HD",  "HS",  "HDU", "C"}},
    {LoginNotStarted,  {"R",  "RX",  "D1", "D2", "RX", "AU", "H",  "HU", "HR", "HD",  "HS",  "HDU", "C"}},
    {F8,               {"D1", "D1X", "D1", "D2", "A",  "AU", "H",  "HU", "HR", "HD",  "HS",  "HDU", "C"}},
    {F8NotStarted,     {"R",  "RX",  "R",  "D2", "A",  "AU", "H",  "HU", "HR", "HD",  "HS",  "HDU", "C"}},
    {Status,           {"R",  "R",   "D1", "D2", "A",  "AU", "H",  "HU", "HR", "HD",  "HS",  "HDU", "C"}},
    {Ready,            {"R",  "RX",  "D2", "D2", "A",  "AU", "H",  "HU", "HR", "HD",  "HS",  "HDU", "C"}},
    {Hide,             {"R",  "RX",  "D1", "D2", "H",  "HU", "H",  "HU", "HR", "HD",  "HS",  "HDU", "C"}},
    {LinkUp,           {"R",  "RX",  "D1", "D2", "AU", "AU", "HU", "HU", "HU", "HDU", "HDU", "HDU", "C"}},
    {LinkReconnecting, {"R",  "RX",  "D1", "D2", "AR", "AR", "HR", "HR", "HR", "HDR", "HDR", "HDR", "C"}},
    {LinkDown,         {"R",  "RX",  "D1", "D2", "AD", "AD", "HD", "HD", "HD", "HD",  "HD",  "HD",  "C"}},
    {LinkStopped,      {"R",  "RX",  "D1", "D2", "AS", "AS", "HS", "HS", "HS", "HS",  "HS",  "HS",  "C"}},
    {RestoredTimeUp,   {"R",  "RX",  "D1", "D2", "A",  "AU", "H",  "HU", "HR", "HD",  "HS",  "HU",  "C"}},
    {Failed,           {"R",  "R",   "R",  "R",  "R",  "R",  "R",  "R",  "R",  "R",   "R",   "R",   "C"}},
    {Finished,         {"C",  "C",   "C",  "C",  "C",  "C",  "C",  "C",  "C",  "C",   "C",   "C",   "C"}},
    {Close,            {"C",  "RX",  "C",  "C",  "A",  "AU", "H",  "HU", "HR", "HD",  "HS",  "HDU", "C"}},
};
// clang-format on

TEST(DialogStateTest, EveryEventInEveryStateLeadsWhereTheRulesSay) {
    for (const Transitions& row : kTransitions) {
        ASSERT_EQ(row.to.size(), std::size(kColumns));
        for (size_t i = 0; i < row.to.size(); ++i) {
            DialogState state = After(kStates.at(kColumns[i]).reachedBy);
            Apply(state, row.event);
            EXPECT_EQ(Answers(state), kStates.at(row.to[i]).answers)
                << "event " << row.event << " in " << kColumns[i] << ", expected " << row.to[i];
        }
    }
}

// F8, Login while the diagnostic dial runs, then its status texts: nothing
// may offer Cancel (nor Esc, nor Close) until the attempt has ended.
TEST(DialogStateTest, TheStatusTextsOfADiagnosticRunTurnedIntoAnAttemptOfferNoCancel) {
    for (const std::vector<Event>& before : {std::vector<Event>{F8, Login}, std::vector<Event>{F8, Ready, Login}}) {
        DialogState state = After(before);
        EXPECT_TRUE(state.StatusTextArrived()) << "the first text reveals the status area";
        for (Event event : {Status, Ready, LinkUp, Hide, LinkDown, LinkUp, RestoredTimeUp}) {
            Apply(state, event);
            EXPECT_FALSE(state.cancelEnabled()) << event;
            EXPECT_FALSE(state.CloseAsked()) << event;
        }
        state.AttemptFinished();
        EXPECT_EQ(state.phase(), DialogPhase::Closed);
    }
}

TEST(DialogStateTest, TheStatusAreaIsRevealedOnceAndOffersCancelOnlyOutsideAnAttempt) {
    DialogState diagnostic = After({Login, LoginNotStarted, F8});
    EXPECT_FALSE(diagnostic.cancelEnabled()) << "as the failed start left it";
    EXPECT_TRUE(diagnostic.StatusTextArrived());
    EXPECT_TRUE(diagnostic.statusAreaShown());
    EXPECT_TRUE(diagnostic.cancelEnabled());
    EXPECT_FALSE(diagnostic.StatusTextArrived()) << "revealed once for good";
    diagnostic.AttemptFailed();
    EXPECT_TRUE(diagnostic.statusAreaShown());
}

TEST(DialogStateTest, LoginTypedDuringAnAttemptStaysDisabledAndAFailureKeepsIt) {
    DialogState state = After({Login});
    state.CredentialsChanged(true);
    EXPECT_FALSE(state.loginEnabled());
    state.AttemptFailed();
    EXPECT_FALSE(state.loginEnabled()) << "Login keeps its state through the failure";
    state.CredentialsChanged(true);
    EXPECT_TRUE(state.loginEnabled());
}

TEST(DialogStateTest, AnOutageShowsTheDialogOnceAndTheRestoredLinkHidesItAfterItsPause) {
    DialogState state = After({Login, LinkUp, Hide});
    EXPECT_FALSE(state.LinkReported(SessionLink::Reconnecting).showText);
    LinkReaction down = state.LinkReported(SessionLink::Down);
    EXPECT_TRUE(down.showDialog && down.showText && down.stopRestoredTimer);
    EXPECT_FALSE(state.LinkReported(SessionLink::Down).showDialog) << "shown already";
    EXPECT_TRUE(state.LinkReported(SessionLink::Reconnecting).showText);
    LinkReaction up = state.LinkReported(SessionLink::Connected);
    EXPECT_TRUE(up.showText && up.startRestoredTimer && !up.showDialog);
    EXPECT_TRUE(state.RestoredTimeUp());
    EXPECT_FALSE(state.RestoredTimeUp());
    EXPECT_FALSE(state.LinkReported(SessionLink::Connected).startRestoredTimer);
}

} // namespace
