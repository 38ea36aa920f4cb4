#include "RunTradingClient.h"

#include "LinkSupervisor.h"
#include "LoginMessages.h"
#include "LoginWorker.h"

#include <SupportLog.h>

#include <shlobj.h>

namespace {

// The dialog hides a moment after the client is up, so the user never looks at
// an empty desktop while the client draws its first window.
const LONGLONG kHideDue = -31820000;   // 3.182 s, relative, in 100 ns
const LONGLONG kSecondDue = -20000000; // 2.0 s

CString ClientFolder() {
    char programFiles[MAX_PATH] = {0};
    if (FAILED(g_loginSeams.getFolderPath(nullptr, CSIDL_PROGRAM_FILES, nullptr, SHGFP_TYPE_CURRENT, programFiles)))
        lstrcpyA(programFiles, "C:\\Program Files");
    return CString(programFiles) + "\\QuillMarsh";
}

bool ArmTimer(HANDLE timer, LONGLONG due) {
    LARGE_INTEGER dueTime;
    dueTime.QuadPart = due;
    return g_loginSeams.setWaitableTimer(timer, &dueTime, 0, nullptr, nullptr, FALSE) != FALSE;
}

// The dialog's requests to look at the link now. Anything else posted to this
// thread is of no use any more; credentials sent now wait in their drop, which
// is emptied, wiping them, when the worker ends.
void TakeThreadMessages(LinkSupervisor& supervisor) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_LOGIN_CHECK_LINK) supervisor.CheckNow(static_cast<LinkCheckReason>(message.wParam));
    }
}

// The client's end is noticed at once, whatever else is going on; in between,
// the supervisor gets its turns and the dialog's requests.
DWORD WaitForNextEvent(HANDLE* waitList, LinkSupervisor* supervisor) {
    if (!supervisor) return WaitForMultipleObjectsEx(3, waitList, FALSE, INFINITE, TRUE);
    return MsgWaitForMultipleObjectsEx(3, waitList, supervisor->MillisecondsToNextStep(), QS_POSTMESSAGE,
                                       MWMO_ALERTABLE | MWMO_INPUTAVAILABLE);
}

ClientOutcome Supervise(HANDLE process, HANDLE hideTimer, HANDLE secondTimer, HWND dialogWindow,
                        LinkSupervisor* supervisor) {
    HANDLE waitList[3] = {process, hideTimer, secondTimer};
    for (;;) {
        DWORD woken = WaitForNextEvent(waitList, supervisor);
        switch (woken) {
        case WAIT_OBJECT_0:
            return ClientOutcome::ClientExited;
        case WAIT_OBJECT_0 + 1:
            SupportLog::Write("Hide time: the dialog is told to hide");
            PostMessageA(dialogWindow, WM_LOGIN_HIDE, 0, 0);
            break;
        case WAIT_OBJECT_0 + 2:
        case WAIT_IO_COMPLETION:
            break;
        case WAIT_OBJECT_0 + 3:
            if (supervisor) TakeThreadMessages(*supervisor);
            break;
        case WAIT_TIMEOUT:
            if (supervisor) supervisor->Step();
            break;
        default:
            return ClientOutcome::ClientUnsupervised;
        }
    }
}

} // namespace

ClientOutcome RunTradingClient(const CString& userName, CString& password, HWND dialogWindow, CString& errorText,
                               VpnLink* link) {
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof(startup));
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process;
    ZeroMemory(&process, sizeof(process));

    CString folder = ClientFolder();
    CString executable = folder + "\\QuillMarsh.exe";
    // The client takes name and password as its first two words, unquoted.
    CString commandLine = "\"" + executable + "\" " + userName + " " + password;
    WipeText(password);

    char* writable = commandLine.GetBuffer();
    BOOL started = CreateProcessA(nullptr, writable, nullptr, nullptr, FALSE, 0, nullptr, folder, &startup, &process);
    DWORD startError = started ? 0 : GetLastError();
    WipeText(commandLine);
    if (!started) {
        // The path only: the command line holds the password.
        SupportLog::Write("Trading client %s could not be started: system error %lu", executable.GetString(),
                          startError);
        errorText = "Failed starting " + executable;
        return ClientOutcome::ClientNotStarted;
    }
    SupportLog::Write("Trading client %s started, process id %lu", executable.GetString(), process.dwProcessId);
    CloseHandle(process.hThread);

    HANDLE hideTimer = g_loginSeams.createWaitableTimer(nullptr, FALSE, nullptr);
    HANDLE secondTimer = g_loginSeams.createWaitableTimer(nullptr, FALSE, nullptr);
    bool usable = hideTimer && secondTimer && ArmTimer(hideTimer, kHideDue) && ArmTimer(secondTimer, kSecondDue);

    ClientOutcome outcome = ClientOutcome::ClientUnsupervised;
    if (usable) {
        if (link) {
            LinkSupervisor supervisor(*link, dialogWindow);
            outcome = Supervise(process.hProcess, hideTimer, secondTimer, dialogWindow, &supervisor);
        } else {
            outcome = Supervise(process.hProcess, hideTimer, secondTimer, dialogWindow, nullptr);
        }
    }
    DWORD exitCode = 0;
    if (outcome == ClientOutcome::ClientExited && GetExitCodeProcess(process.hProcess, &exitCode))
        SupportLog::Write("Trading client exited with exit code %lu", exitCode);
    else if (outcome != ClientOutcome::ClientExited)
        SupportLog::Write("Trading client can no longer be watched: the attempt ends");

    if (hideTimer) CloseHandle(hideTimer);
    if (secondTimer) CloseHandle(secondTimer);
    CloseHandle(process.hProcess);
    return outcome;
}
