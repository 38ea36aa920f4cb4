#pragma once
// What the login dialog does with a login worker: start one, hand a diagnostic
// worker the credentials or tell it to cancel, wait for it to end, let go of it.
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
#include <CString.h>
#include <CWinThread.h>
#include <CWnd.h>

// Login mode: connect, start and supervise the trading client with these
// credentials, report to the dialog. True when the worker runs.
bool StartLoginWorker(CString userName, CString password, CWnd* dialog);

// Diagnostic mode: connect, report the tunnel addresses and a probe of the
// configuration server, then wait for SendCredentials or SendCancel. Returns the
// caller's record of the worker (see above), or null when none was started.
CWinThread* StartDiagnosticWorker(CString configServerHost, unsigned short configServerPort, CWnd* dialog);

// Hands the user's name and password to a diagnostic worker, which then goes on
// to start the trading client. False only when the record for them could not be
// allocated; a record the worker's queue does not take is released here.
bool SendCredentials(CWinThread* worker, CString userName, CString password);

// Tells a waiting diagnostic worker to hang up and end. The post's result.
bool SendCancel(CWinThread* worker);

// Returns once the worker's thread has ended; without limit, since a cancelled
// worker ends as soon as it has hung up. Null is ignored.
void WaitForWorkerEnd(CWinThread* worker);

// Lets go of a record returned by StartDiagnosticWorker, whether or not the worker
// still runs. Null is ignored.
void ReleaseWorker(CWinThread* worker);
