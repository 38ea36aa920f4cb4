#include "SendCredentials.h"

#include "LoginMessages.h"
#include "LoginSeams.h"

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
