#include "LoginWorker.h"

#include "LoginMessages.h"
#include "LoginSeams.h"
#include "RunTradingClient.h"

#include <ProbeTcpPort.h>
#include <SupportLog.h>
#include <VpnLink.h>

#include <cstring>

namespace {

// A text for the dialog travels as a C-heap copy that the dialog frees. A copy
// that cannot be made still sends the message, with lParam 0; one that cannot be
// delivered is released here, since nobody else ever will.
void PostText(HWND dialogWindow, UINT message, const CString& text) {
    size_t size = static_cast<size_t>(text.GetLength()) + 1;
    char* copy = static_cast<char*>(g_loginSeams.allocText(size));
    if (copy) std::memcpy(copy, text.GetString(), size);
    if (!PostMessageA(dialogWindow, message, 0, reinterpret_cast<LPARAM>(copy)) && copy)
        g_loginSeams.freeText(copy);
}

// Diagnostic mode, once connected: tell the dialog where the tunnel runs and
// whether the configuration server answers, then wait for one word from it.
// True when the credentials have arrived and the client is to be started.
bool ReportAndAwaitCredentials(const VpnLink& link, LoginRequest& request) {
    PostText(request.dialogWindow, WM_LOGIN_STATUS,
             "Client: " + link.ClientAddress() + "\r\nServer: " + link.ServerAddress() + "\r\n");
    CString probeResult;
    ProbeTcpPort(request.configServerHost, request.configServerPort, probeResult);
    SupportLog::Write("Configuration server %s port %u probed: %s", request.configServerHost.GetString(),
                      static_cast<unsigned>(request.configServerPort), probeResult.GetString());
    PostText(request.dialogWindow, WM_LOGIN_STATUS, "CfgSvr port ping: " + probeResult);
    PostMessageA(request.dialogWindow, WM_LOGIN_READY, 0, 0);

    // Messages posted while we were connecting count as new here, so credentials
    // or a cancel that came early wake this wait at once.
    if (MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, QS_POSTMESSAGE, 0) != WAIT_OBJECT_0)
        return false;
    MSG message;
    ZeroMemory(&message, sizeof(message));
    if (GetMessageA(&message, nullptr, WM_LOGIN_CREDENTIALS, WM_LOGIN_CANCEL) <= 0) return false;
    if (message.message != WM_LOGIN_CREDENTIALS || !message.lParam) return false;

    LoginRequest* credentials = reinterpret_cast<LoginRequest*>(message.lParam);
    SupportLog::Write("Credentials arrived for user ID %s", credentials->userName.GetString());
    request.userName = credentials->userName;
    request.password = credentials->password;
    g_loginSeams.deleteRequest(credentials);
    return true;
}

// Connects, reports, runs the client: everything that needs the link. The link
// is hung up when this returns. True when the attempt failed.
bool RunAttempt(LoginRequest& request, CString& errorText) {
    VpnLink link;
    // The queue must exist before the starter lets anyone post to this thread.
    MSG message;
    ZeroMemory(&message, sizeof(message));
    PeekMessageA(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    SetEvent(request.readyEvent);

    if (request.diagnosticMode)
        SupportLog::Write("Diagnostic connection starts");
    else
        SupportLog::Write("Login attempt starts for user ID %s", request.userName.GetString());
    if (link.Connect() != 0) {
        errorText = link.LastError();
        return true;
    }
    if (request.diagnosticMode && !ReportAndAwaitCredentials(link, request)) return true;
    ClientOutcome outcome = RunTradingClient(request.userName, request.password, request.dialogWindow,
                                             errorText, &link);
    return outcome != ClientOutcome::ClientExited;
}

// Credentials that reached the queue of a worker that will not read it any more
// (its connection failed while the user pressed Login) would keep the password on
// the heap for good.
void DiscardUnreadCredentials() {
    MSG message;
    while (PeekMessageA(&message, nullptr, WM_LOGIN_CREDENTIALS, WM_LOGIN_CREDENTIALS, PM_REMOVE))
        if (message.lParam) g_loginSeams.deleteRequest(reinterpret_cast<LoginRequest*>(message.lParam));
}

} // namespace

UINT AFX_CDECL LoginWorker(LPVOID parameter) {
    LoginRequest* request = static_cast<LoginRequest*>(parameter);
    CString errorText;
    bool attemptFailed = RunAttempt(*request, errorText);

    if (attemptFailed)
        SupportLog::Write("The attempt failed: %s", errorText.IsEmpty() ? "(no text)" : errorText.GetString());
    else
        SupportLog::Write("The attempt has ended after the trading client's exit");
    if (attemptFailed)
        PostText(request->dialogWindow, WM_LOGIN_FAILED, errorText);
    else
        PostMessageA(request->dialogWindow, WM_LOGIN_FINISHED, 0, 0);

    DiscardUnreadCredentials();
    g_loginSeams.deleteRequest(request);
    return attemptFailed ? 1 : 0;
}
