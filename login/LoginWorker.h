#pragma once
// The login worker: what the dialog does with one, the thread that makes one
// login attempt, the request it is started with, its launch, and the platform
// calls tests replace.
#include "CredentialsDrop.h"
#include "LoginMessages.h"

#include <CString.h>
#include <CWinThread.h>
#include <CWnd.h>
#include <windows.h>

#include <cstddef>

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

// One login attempt on a thread of its own.
//
// The worker posts its notifications (LoginMessages.h) to the dialog window and
// its final one, WM_LOGIN_FAILED or WM_LOGIN_FINISHED, only after the VPN link is
// hung up. A text it posts that cannot be delivered is released by the worker; a
// text that arrives belongs to the dialog, which frees it.

// The thread procedure; its parameter is the LoginRequest it now owns. Exit code
// 0 when the trading client ran and ended under supervision, 1 otherwise.
UINT AFX_CDECL LoginWorker(LPVOID parameter);

// What a starter hands to a new login worker, and the payload of
// WM_LOGIN_CREDENTIALS. Owned by the worker once its thread runs; fields a mode
// does not use are never read.
class LoginRequest {
public:
    LoginRequest();
    ~LoginRequest();
    LoginRequest(const LoginRequest&) = delete;
    LoginRequest& operator=(const LoginRequest&) = delete;

    CString userName;
    CString password;
    HWND dialogWindow;
    bool diagnosticMode;
    HANDLE readyEvent; // the starter's; the worker only signals it
    CString configServerHost;
    unsigned short configServerPort;
    // Diagnostic mode: where the credentials wait for the worker (a reference
    // of the request's own); null otherwise.
    CredentialsDrop* credentialsDrop;
};

// What both starters share once their request is filled: start LoginWorker on
// it, wait until the worker's queue exists, attach the worker's input to the
// calling thread.

// Takes the request and the ready event; on failure both are released. Returns a
// thread record of the caller's own for the worker (see above), or
// null when no worker runs.
CWinThread* LaunchLoginWorker(LoginRequest* request, HANDLE readyEvent);

// Platform and heap calls of the login worker that tests replace, to produce
// failures the real system will not give on demand and to count what is made and
// released. Each defaults to the real call; only tests change them.
struct LoginSeams {
    HANDLE(WINAPI* createEvent)(LPSECURITY_ATTRIBUTES, BOOL, BOOL, LPCSTR);
    CWinThread*(AFXAPI* beginThread)(AFX_THREADPROC, LPVOID, int, UINT, DWORD, LPSECURITY_ATTRIBUTES);
    // Requests (a worker's own and the credentials records); null when memory is out.
    LoginRequest* (*newRequest)();
    void (*deleteRequest)(LoginRequest*);
    // The heap buffers of the texts that travel to the dialog.
    void* (*allocText)(size_t);
    void (*freeText)(void*);
    HRESULT(WINAPI* getFolderPath)(HWND, int, HANDLE, DWORD, LPSTR);
    HANDLE(WINAPI* createWaitableTimer)(LPSECURITY_ATTRIBUTES, BOOL, LPCSTR);
    BOOL(WINAPI* setWaitableTimer)(HANDLE, const LARGE_INTEGER*, LONG, PTIMERAPCROUTINE, LPVOID, BOOL);
};

extern LoginSeams g_loginSeams;
// The real calls, for a test to restore or to pass through to.
extern const LoginSeams kRealLoginSeams;

// Overwrites a text's characters before letting it go, for passwords.
void WipeText(CString& text);
