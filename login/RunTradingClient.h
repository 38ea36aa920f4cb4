#pragma once
// Starts the trading client from its folder under Program Files with the user's
// name and password on its command line, posts WM_LOGIN_HIDE to the dialog 3.182 s
// later, and returns once the client has ended (or cannot be watched any longer).
#include <CString.h>
#include <windows.h>

class VpnLink;

// How a run of the trading client ended, as far as the login worker cares.
enum class ClientOutcome {
    ClientNotStarted,   // no process; the error text says where the client was looked for
    ClientExited,       // it ran and ended while supervised
    ClientUnsupervised, // it runs on, but its end could not be waited for
};

// password is wiped as soon as the command line holds it. errorText is set only
// when the client cannot be started. With a link, the link is watched and
// dialled again while the client runs (LinkSupervisor.h).
ClientOutcome RunTradingClient(const CString& userName, CString& password, HWND dialogWindow, CString& errorText,
                               VpnLink* link = nullptr);
