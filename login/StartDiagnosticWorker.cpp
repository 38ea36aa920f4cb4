#include "StartDiagnosticWorker.h"

#include "LaunchLoginWorker.h"
#include "LoginSeams.h"

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
