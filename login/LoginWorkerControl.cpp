#include "LoginWorkerControl.h"

#include "LaunchLoginWorker.h"
#include "LoginMessages.h"
#include "LoginSeams.h"

bool StartLoginWorker(CString userName, CString password, CWnd* dialog) {
    HANDLE readyEvent = g_loginSeams.createEvent(nullptr, TRUE, FALSE, nullptr);
    if (!readyEvent) return false;
    LoginRequest* request = g_loginSeams.newRequest();
    if (!request) {
        CloseHandle(readyEvent);
        return false;
    }
    request->userName = userName;
    request->password = password;
    request->dialogWindow = dialog ? dialog->GetSafeHwnd() : nullptr;
    request->diagnosticMode = false;
    request->readyEvent = readyEvent;

    CWinThread* worker = LaunchLoginWorker(request, readyEvent);
    if (!worker) return false;
    ReleaseWorker(worker);
    return true;
}

CWinThread* StartDiagnosticWorker(CString configServerHost, unsigned short configServerPort, CWnd* dialog) {
    HANDLE readyEvent = g_loginSeams.createEvent(nullptr, TRUE, FALSE, nullptr);
    if (!readyEvent) return nullptr;
    LoginRequest* request = g_loginSeams.newRequest();
    if (!request) {
        CloseHandle(readyEvent);
        return nullptr;
    }
    // The credentials come later, from SendCredentials.
    request->dialogWindow = dialog ? dialog->GetSafeHwnd() : nullptr;
    request->diagnosticMode = true;
    request->readyEvent = readyEvent;
    request->configServerHost = configServerHost;
    request->configServerPort = configServerPort;

    return LaunchLoginWorker(request, readyEvent);
}

bool SendCredentials(CWinThread* worker, CString userName, CString password) {
    if (!worker) return false;
    LoginRequest* credentials = g_loginSeams.newRequest();
    if (!credentials) return false;
    credentials->userName = userName;
    credentials->password = password;
    credentials->dialogWindow = nullptr;
    credentials->diagnosticMode = true;
    // A worker that has already ended takes nothing; the record, and the password
    // in it, would be lost.
    if (!PostThreadMessageA(worker->m_nThreadID, WM_LOGIN_CREDENTIALS, 0,
                            reinterpret_cast<LPARAM>(credentials)))
        g_loginSeams.deleteRequest(credentials);
    return true;
}

bool SendCancel(CWinThread* worker) {
    if (!worker) return false;
    return PostThreadMessageA(worker->m_nThreadID, WM_LOGIN_CANCEL, 0, 0) != FALSE;
}

void WaitForWorkerEnd(CWinThread* worker) {
    if (worker && worker->m_hThread) WaitForSingleObject(worker->m_hThread, INFINITE);
}

// The record is the holder's own copy and closes its handle when deleted; the
// worker's framework record looks after itself.
void ReleaseWorker(CWinThread* worker) { delete worker; }
