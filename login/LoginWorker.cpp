#include "LoginWorker.h"

#include "RunTradingClient.h"

#include <ProbeTcpPort.h>
#include <SupportLog.h>
#include <VpnLink.h>

#include <shlobj.h>

#include <cstdlib>
#include <cstring>
#include <new>

namespace {
LoginRequest* NewRequest() { return new (std::nothrow) LoginRequest; }
void DeleteRequest(LoginRequest* request) { delete request; }
} // namespace

const LoginSeams kRealLoginSeams = {
    CreateEventA, AfxBeginThread,   NewRequest,           DeleteRequest,    std::malloc,
    std::free,    SHGetFolderPathA, CreateWaitableTimerA, SetWaitableTimer,
};

LoginSeams g_loginSeams = kRealLoginSeams;

LoginRequest::LoginRequest()
    : dialogWindow(nullptr), diagnosticMode(false), readyEvent(nullptr), configServerPort(0), credentialsDrop(nullptr) {
}

// A request is the last place the user's password sits on the worker's side.
LoginRequest::~LoginRequest() {
    WipeText(password);
    if (credentialsDrop) credentialsDrop->Release();
}

void WipeText(CString& text) {
    if (!text.IsEmpty()) SecureZeroMemory(text.GetBuffer(), text.GetLength());
    text.Empty();
}

namespace {

// A text for the dialog travels as a C-heap copy that the dialog frees. A copy
// that cannot be made still sends the message, with lParam 0; one that cannot be
// delivered is released here, since nobody else ever will.
void PostText(HWND dialogWindow, UINT message, const CString& text) {
    size_t size = static_cast<size_t>(text.GetLength()) + 1;
    char* copy = static_cast<char*>(g_loginSeams.allocText(size));
    if (copy) std::memcpy(copy, text.GetString(), size);
    if (!PostMessageA(dialogWindow, message, 0, reinterpret_cast<LPARAM>(copy)) && copy) g_loginSeams.freeText(copy);
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
    if (MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, QS_POSTMESSAGE, 0) != WAIT_OBJECT_0) return false;
    MSG message;
    ZeroMemory(&message, sizeof(message));
    if (GetMessageA(&message, nullptr, WM_LOGIN_CREDENTIALS, WM_LOGIN_CANCEL) <= 0) return false;
    if (message.message != WM_LOGIN_CREDENTIALS || !request.credentialsDrop) return false;
    LoginRequest* credentials = request.credentialsDrop->Take();
    if (!credentials) return false;

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
    ClientOutcome outcome =
        RunTradingClient(request.userName, request.password, request.dialogWindow, errorText, &link);
    return outcome != ClientOutcome::ClientExited;
}

// Credentials for a worker that will not read them any more (its connection
// failed while the user pressed Login, or they came after the client had
// started) would keep the password on the heap for good: from here on their
// sender releases them.
void DiscardUnreadCredentials(LoginRequest& request) {
    if (request.credentialsDrop) request.credentialsDrop->Close();
    MSG message;
    while (PeekMessageA(&message, nullptr, WM_LOGIN_CREDENTIALS, WM_LOGIN_CREDENTIALS, PM_REMOVE)) continue;
}

// The dialog's record of a worker: the framework's, with the worker's
// credentials drop when it has one.
class WorkerRecord : public CWinThread {
public:
    explicit WorkerRecord(CredentialsDrop* drop) : credentialsDrop(drop) {
        if (credentialsDrop) credentialsDrop->AddRef();
    }
    ~WorkerRecord() override {
        if (credentialsDrop) credentialsDrop->Release();
    }
    CredentialsDrop* const credentialsDrop;
};

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

    DiscardUnreadCredentials(*request);
    g_loginSeams.deleteRequest(request);
    return attemptFailed ? 1 : 0;
}

namespace {

void Discard(LoginRequest* request, HANDLE readyEvent) {
    g_loginSeams.deleteRequest(request);
    CloseHandle(readyEvent);
}

} // namespace

CWinThread* LaunchLoginWorker(LoginRequest* request, HANDLE readyEvent) {
    // The framework's record of the worker deletes itself, with its handle, the
    // moment the worker ends, which may be before the caller is done with it. The
    // caller gets a record of its own instead: same thread, its own handle.
    CWinThread* holder = new (std::nothrow) WorkerRecord(request->credentialsDrop);
    if (!holder) {
        Discard(request, readyEvent);
        return nullptr;
    }
    holder->m_bAutoDelete = FALSE;

    // Suspended until the identifier and handle are copied: once it runs, the
    // worker may end and take its record with it at any moment.
    CWinThread* thread =
        g_loginSeams.beginThread(LoginWorker, request, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED, nullptr);
    if (!thread) {
        delete holder;
        Discard(request, readyEvent);
        return nullptr;
    }
    holder->m_nThreadID = thread->m_nThreadID;
    HANDLE process = GetCurrentProcess();
    if (!DuplicateHandle(process, thread->m_hThread, process, &holder->m_hThread, 0, FALSE, DUPLICATE_SAME_ACCESS)) {
        // Without a handle nobody could wait for this worker's hang-up. It has not
        // run a single instruction yet, so it can still be dropped whole.
        TerminateThread(thread->m_hThread, 1);
        WaitForSingleObject(thread->m_hThread, INFINITE);
        delete thread;
        holder->m_hThread = nullptr;
        delete holder;
        Discard(request, readyEvent);
        return nullptr;
    }
    thread->ResumeThread();

    WaitForSingleObject(readyEvent, INFINITE);
    AttachThreadInput(holder->m_nThreadID, GetCurrentThreadId(), TRUE);
    CloseHandle(readyEvent);
    return holder;
}

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
    request->credentialsDrop = CredentialsDrop::Create();
    if (!request->credentialsDrop) {
        g_loginSeams.deleteRequest(request);
        CloseHandle(readyEvent);
        return nullptr;
    }

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
    CredentialsDrop* drop = static_cast<WorkerRecord*>(worker)->credentialsDrop;
    if (!drop) {
        g_loginSeams.deleteRequest(credentials);
        return true;
    }
    // A worker that reads no more, or whose queue has gone, never takes them:
    // they are taken back and released here.
    if (drop->Put(credentials) &&
        !PostThreadMessageA(worker->m_nThreadID, WM_LOGIN_CREDENTIALS, 0, reinterpret_cast<LPARAM>(credentials))) {
        if (LoginRequest* unread = drop->Take()) g_loginSeams.deleteRequest(unread);
    }
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
