#include "StartLoginWorker.h"

#include "LaunchLoginWorker.h"
#include "LoginSeams.h"
#include "LoginWorker.h"

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
