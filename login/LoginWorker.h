#pragma once
// One login attempt on a thread of its own, and everything the dialog needs to
// start one and to talk to it.
//
// The worker's thread record, as the dialog holds it:
// - StartDiagnosticWorker returns a CWinThread that belongs to the caller. It
//   names the worker's thread (m_nThreadID) and holds a handle of its own to it
//   (m_hThread); it never deletes itself and stays valid however soon the worker
//   ends, so SendCredentials, SendCancel and WaitForWorkerEnd are safe on it at
//   any time, also after the worker has posted its final notification.
// - The holder lets it go with ReleaseWorker exactly once, whenever it drops it:
//   after SendCredentials, on WM_LOGIN_FAILED, or after SendCancel and
//   WaitForWorkerEnd. Releasing it does not stop or wait for the worker.
// - StartLoginWorker keeps no record: nobody talks to a login-mode worker.
//
// The worker posts its notifications (LoginMessages.h) to the dialog window and
// its final one, WM_LOGIN_FAILED or WM_LOGIN_FINISHED, only after the VPN link is
// hung up. A text it posts that cannot be delivered is released by the worker; a
// text that arrives belongs to the dialog, which frees it.
#include "ReleaseWorker.h"
#include "SendCancel.h"
#include "SendCredentials.h"
#include "StartDiagnosticWorker.h"
#include "StartLoginWorker.h"
#include "WaitForWorkerEnd.h"

#include <CWinThread.h>

// The thread procedure; its parameter is the LoginRequest it now owns. Exit code
// 0 when the trading client ran and ended under supervision, 1 otherwise.
UINT AFX_CDECL LoginWorker(LPVOID parameter);
