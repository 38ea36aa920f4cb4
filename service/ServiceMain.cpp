// QuillmarshVPNService.exe: puts the firm's routes in place for the firm's live
// VPN connection on behalf of the program, whose token may not change the
// routing table. Runs as LocalSystem under the service control manager.
#include <windows.h>

#include <RouteServiceClient.h>
#include <RouteServiceProtocol.h>
#include <SupportLog.h>

#include "RoutePipeServer.h"

#include <shlobj.h>

namespace {

const SupportLog::Place kServiceLog = {
    CSIDL_COMMON_APPDATA,
    "\\Quillmarsh VPN Service",
    "\\QuillmarshVPNService.log",
    "Quillmarsh VPN service log",
    "control",
    "service",
    true,
};

SERVICE_STATUS_HANDLE g_statusHandle = nullptr;
HANDLE g_stop = nullptr;
SERVICE_STATUS g_status;

void SetState(DWORD state, DWORD exitCode = NO_ERROR) {
    g_status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    g_status.dwCurrentState = state;
    g_status.dwControlsAccepted = state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN : 0;
    g_status.dwWin32ExitCode = exitCode;
    g_status.dwWaitHint = state == SERVICE_RUNNING || state == SERVICE_STOPPED ? 0 : 3000;
    ++g_status.dwCheckPoint;
    SetServiceStatus(g_statusHandle, &g_status);
}

DWORD WINAPI Control(DWORD control, DWORD, LPVOID, LPVOID) {
    switch (control) {
    case SERVICE_CONTROL_STOP:
    case SERVICE_CONTROL_SHUTDOWN:
        SupportLog::Write("Stop asked for");
        SetState(SERVICE_STOP_PENDING);
        SetEvent(g_stop);
        return NO_ERROR;
    case SERVICE_CONTROL_INTERROGATE:
        return NO_ERROR;
    }
    return ERROR_CALL_NOT_IMPLEMENTED;
}

void WINAPI ServiceMain(DWORD, LPSTR*) {
    g_statusHandle = RegisterServiceCtrlHandlerExA(kRouteServiceName, Control, nullptr);
    if (!g_statusHandle) return;
    SetState(SERVICE_START_PENDING);
    g_stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    DWORD error = g_stop ? 0 : GetLastError();
    HANDLE pipe = g_stop ? CreateRoutePipe(error) : INVALID_HANDLE_VALUE;
    if (pipe == INVALID_HANDLE_VALUE) {
        // Someone else's instance of the pipe: serving beside it would let it
        // take the program's requests.
        SupportLog::Write("The pipe %s could not be made: error %lu; the service stops", kRouteServicePipe, error);
        if (g_stop) CloseHandle(g_stop);
        SetState(SERVICE_STOPPED, error);
        return;
    }
    SupportLog::Write("Serving on %s as process %lu, token %s", kRouteServicePipe, GetCurrentProcessId(),
                      kRealRouteClientSeams.ownTokenIsElevated() ? "elevated"
                                                                 : "NOT elevated: route changes will be refused");
    SetState(SERVICE_RUNNING);
    ServeRoutePipe(pipe, g_stop);
    CloseHandle(pipe);
    CloseHandle(g_stop);
    SupportLog::Write("Stopped");
    SetState(SERVICE_STOPPED);
}

} // namespace

int main() {
    SupportLog::Open(kServiceLog);
    char name[sizeof kRouteServiceName];
    lstrcpynA(name, kRouteServiceName, sizeof name);
    SERVICE_TABLE_ENTRYA table[] = {{name, ServiceMain}, {nullptr, nullptr}};
    int result = StartServiceCtrlDispatcherA(table) ? 0 : 1;
    SupportLog::Close();
    return result;
}
