#pragma once
// One login attempt on a thread of its own; with LoginWorkerControl.h, everything
// the dialog needs to start one and to talk to it.
//
// The worker posts its notifications (LoginMessages.h) to the dialog window and
// its final one, WM_LOGIN_FAILED or WM_LOGIN_FINISHED, only after the VPN link is
// hung up. A text it posts that cannot be delivered is released by the worker; a
// text that arrives belongs to the dialog, which frees it.
#include "LoginWorkerControl.h"

#include <CWinThread.h>

// The thread procedure; its parameter is the LoginRequest it now owns. Exit code
// 0 when the trading client ran and ended under supervision, 1 otherwise.
UINT AFX_CDECL LoginWorker(LPVOID parameter);
