#include "RouteServiceClient.h"

#include <cstring>

#include "SupportLog.h"

namespace {

bool OwnTokenIsElevated() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return true;
    TOKEN_ELEVATION elevation;
    DWORD size = 0;
    // Systems before elevation do not know the question; there every token
    // that may change routes already can.
    BOOL known = GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size);
    CloseHandle(token);
    return !known || elevation.TokenIsElevated != 0;
}

CString ErrorNumber(const char* what, DWORD error) {
    CString text;
    text.Format("%s (system error %lu)", what, error);
    return text;
}

DWORD ServiceProcessId(CString& why) {
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
    if (!manager) {
        why = ErrorNumber("the service control manager could not be asked", GetLastError());
        return 0;
    }
    DWORD processId = 0;
    SC_HANDLE service = OpenServiceA(manager, kRouteServiceName, SERVICE_QUERY_STATUS);
    if (!service) {
        DWORD error = GetLastError();
        why = error == ERROR_SERVICE_DOES_NOT_EXIST ? CString("the route service is not installed")
                                                    : ErrorNumber("the route service could not be opened", error);
    } else {
        SERVICE_STATUS_PROCESS status;
        DWORD size = 0;
        if (!QueryServiceStatusEx(service, SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status), sizeof status,
                                  &size))
            why = ErrorNumber("the route service's state could not be read", GetLastError());
        else if (status.dwCurrentState != SERVICE_RUNNING)
            why = "the route service is not running";
        else
            processId = status.dwProcessId;
        CloseServiceHandle(service);
    }
    CloseServiceHandle(manager);
    return processId;
}

// The pipe is opened for identification only: a server that is not the
// service learns who we are, but can never act as us.
HANDLE OpenServicePipe(CString& why) {
    DWORD started = GetTickCount();
    for (;;) {
        // Not GENERIC_WRITE: it holds the right to make an instance, which the
        // pipe denies everyone.
        HANDLE pipe =
            CreateFileA(kRouteServicePipe, GENERIC_READ | FILE_WRITE_DATA | FILE_WRITE_ATTRIBUTES, 0, nullptr,
                        OPEN_EXISTING, FILE_FLAG_OVERLAPPED | SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION, nullptr);
        if (pipe != INVALID_HANDLE_VALUE) return pipe;
        DWORD error = GetLastError();
        DWORD waited = GetTickCount() - started;
        // The service answers one client at a time; the others wait their turn.
        if (error != ERROR_PIPE_BUSY || waited >= kRoutePipeWaitLimit) {
            why = ErrorNumber("the route service's pipe could not be opened", error);
            return INVALID_HANDLE_VALUE;
        }
        WaitNamedPipeA(kRouteServicePipe, kRoutePipeWaitLimit - waited);
    }
}

// One overlapped read or write, given up (and cancelled) at its limit.
bool Transfer(HANDLE pipe, bool write, void* data, DWORD size, DWORD waitLimitMs, DWORD& done) {
    OVERLAPPED overlapped;
    ZeroMemory(&overlapped, sizeof overlapped);
    overlapped.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!overlapped.hEvent) return false;
    done = 0;
    BOOL finished =
        write ? WriteFile(pipe, data, size, nullptr, &overlapped) : ReadFile(pipe, data, size, nullptr, &overlapped);
    bool ok = finished || GetLastError() == ERROR_IO_PENDING;
    if (ok && !finished && WaitForSingleObject(overlapped.hEvent, waitLimitMs) != WAIT_OBJECT_0) {
        CancelIo(pipe);
        // The cancelled transfer still ends; its buffer is ours until it has.
        GetOverlappedResult(pipe, &overlapped, &done, TRUE);
        CloseHandle(overlapped.hEvent);
        SetLastError(WAIT_TIMEOUT);
        return false;
    }
    ok = ok && GetOverlappedResult(pipe, &overlapped, &done, TRUE);
    DWORD error = GetLastError();
    CloseHandle(overlapped.hEvent);
    SetLastError(error);
    return ok;
}

bool Exchange(HANDLE pipe, RouteVerb verb, RouteAnswer& answer, CString& why) {
    DWORD mode = PIPE_READMODE_MESSAGE;
    SetNamedPipeHandleState(pipe, &mode, nullptr, nullptr);
    RouteRequest request = {kRouteProtocolTag, kRouteProtocolVersion, verb, 0};
    DWORD done = 0;
    if (!Transfer(pipe, true, &request, sizeof request, kRoutePipeWaitLimit, done) || done != sizeof request) {
        why = ErrorNumber("the request could not be sent to the route service", GetLastError());
        return false;
    }
    // One byte more than an answer: a longer message is not one.
    char buffer[sizeof(RouteAnswer) + 1];
    bool read = Transfer(pipe, false, buffer, sizeof buffer, kRouteAnswerWaitLimit, done);
    if (!read && GetLastError() == WAIT_TIMEOUT) {
        why = "the route service did not answer in time";
        return false;
    }
    if (!read || done != sizeof(RouteAnswer)) {
        why = ErrorNumber("the route service's answer was not one", read ? ERROR_INVALID_DATA : GetLastError());
        return false;
    }
    std::memcpy(&answer, buffer, sizeof answer);
    if (answer.tag != kRouteProtocolTag || answer.version != kRouteProtocolVersion || answer.verb != verb ||
        answer.commandCount > kMaxRouteCommands) {
        why = "the route service's answer was not one";
        return false;
    }
    answer.clientAddress[sizeof answer.clientAddress - 1] = '\0';
    return true;
}

} // namespace

const RouteClientSeams kRealRouteClientSeams = {
    OwnTokenIsElevated,
    ServiceProcessId,
};

RouteClientSeams g_routeClientSeams = kRealRouteClientSeams;

bool AskRouteService(RouteVerb verb, RouteAnswer& answer, CString& why) {
    DWORD serviceProcess = g_routeClientSeams.serviceProcessId(why);
    if (serviceProcess == 0) return false;
    HANDLE pipe = OpenServicePipe(why);
    if (pipe == INVALID_HANDLE_VALUE) return false;
    // Anyone may make a pipe of that name before the service does; only the
    // service's own process is told anything.
    DWORD server = PipeEndProcessId(pipe, "GetNamedPipeServerProcessId");
    bool answered = false;
    if (server != serviceProcess) {
        why.Format("the pipe's server (process %lu) is not the route service (process %lu)", server, serviceProcess);
        SupportLog::Write("Route service pipe refused: %s", why.GetString());
    } else {
        answered = Exchange(pipe, verb, answer, why);
    }
    CloseHandle(pipe);
    return answered;
}
