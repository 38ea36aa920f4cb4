#pragma once
// The messages between the login dialog and a login worker. All are posted with
// wParam 0. 0x8065 has two senses: WM_LOGIN_CANCEL only ever goes to a worker's
// thread queue, WM_LOGIN_HIDE only ever to the dialog window, so each receiver
// reads the number in its own sense.
#include <windows.h>

// Thread messages, dialog to a diagnostic worker waiting for its go-ahead.
// lParam: the heap LoginRequest holding userName and password, which waits for
// the worker in its CredentialsDrop: whoever takes it from there deletes it.
constexpr UINT WM_LOGIN_CREDENTIALS = WM_APP + 100; // 0x8064
constexpr UINT WM_LOGIN_CANCEL = WM_APP + 101;      // 0x8065, lParam 0

// Window messages, worker to dialog. A text in lParam is a malloc'ed, NUL-terminated
// buffer the dialog releases with free(); 0 stands for a text that could not be copied.
constexpr UINT WM_LOGIN_HIDE = WM_APP + 101;     // 0x8065, lParam 0
constexpr UINT WM_LOGIN_FAILED = WM_APP + 102;   // 0x8066, lParam text, possibly empty
constexpr UINT WM_LOGIN_FINISHED = WM_APP + 103; // 0x8067, lParam 0
constexpr UINT WM_LOGIN_STATUS = WM_APP + 104;   // 0x8068, lParam text
constexpr UINT WM_LOGIN_READY = WM_APP + 105;    // 0x8069, lParam 0

// While the trading client runs, the worker watches the link and dials again
// when it is lost; it tells the dialog each change of the link's state.
// Window message, worker to dialog. lParam: a malloc'ed LinkReport that the
// dialog releases with free(); 0 when none could be made.
constexpr UINT WM_LOGIN_LINK = WM_APP + 106; // 0x806A
// Thread message, dialog to the worker named in a LinkReport: look at the link
// now, and if it is down dial at once. wParam: a LinkCheckReason; lParam 0.
constexpr UINT WM_LOGIN_CHECK_LINK = WM_APP + 107; // 0x806B

enum class LinkState : DWORD {
    Connected,    // up (again): the routes are in place
    Reconnecting, // lost, dialling again
    Down,         // lost for longer than the user should wait without being told
    Stopped,      // lost, and no dial will mend it (the account was refused)
};

// What the icon and the status say when the link is up but route commands failed.
constexpr char kUnroutedText[] = "Connected, but the firm's networks are not routed";

enum class LinkCheckReason : WPARAM { Resumed = 1, UserAsked = 2 };

struct LinkReport {
    LinkState state;
    DWORD workerThreadId; // where WM_LOGIN_CHECK_LINK goes
    // Connected: how many of the route commands failed, so that the icon can
    // say the firm's networks are not routed; the text then says which and why.
    DWORD routeFailures;
    char text[1]; // NUL-terminated, for the status box; as long as it needs
};
