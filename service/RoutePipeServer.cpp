#include "RoutePipeServer.h"

#include <sddl.h>

#include <SupportLog.h>

#include "RouteRequestHandler.h"

namespace {

// Room for more than a request, so that a longer message is seen as such.
const DWORD kReadRoom = 256;

// "DOMAIN\name" of the process's token, or "unknown".
CString ProcessUser(DWORD processId) {
    CString user = "unknown";
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, processId);
    if (!process) return user;
    HANDLE token = nullptr;
    if (OpenProcessToken(process, TOKEN_QUERY, &token)) {
        BYTE buffer[256];
        DWORD size = 0;
        if (GetTokenInformation(token, TokenUser, buffer, sizeof buffer, &size)) {
            char name[256], domain[256];
            DWORD nameSize = sizeof name, domainSize = sizeof domain;
            SID_NAME_USE use;
            if (LookupAccountSidA(nullptr, reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, name, &nameSize, domain,
                                  &domainSize, &use))
                user = CString(domain) + "\\" + name;
        }
        CloseHandle(token);
    }
    CloseHandle(process);
    return user;
}

// One overlapped transfer, cancelled at its limit or when the service stops.
// The bytes moved, and the transfer's error (WAIT_TIMEOUT at the limit).
DWORD Transfer(HANDLE pipe, bool write, void* data, DWORD size, HANDLE stop, DWORD& done) {
    OVERLAPPED overlapped;
    ZeroMemory(&overlapped, sizeof overlapped);
    overlapped.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!overlapped.hEvent) return GetLastError();
    done = 0;
    BOOL finished =
        write ? WriteFile(pipe, data, size, nullptr, &overlapped) : ReadFile(pipe, data, size, nullptr, &overlapped);
    DWORD error = finished ? 0 : GetLastError();
    if (!finished && error == ERROR_IO_PENDING) {
        HANDLE waits[] = {overlapped.hEvent, stop};
        bool ended = WaitForMultipleObjects(2, waits, FALSE, kClientTimeLimit) == WAIT_OBJECT_0;
        if (!ended) CancelIo(pipe);
        error = GetOverlappedResult(pipe, &overlapped, &done, TRUE) ? 0 : GetLastError();
        if (!ended) error = WAIT_TIMEOUT;
    } else if (finished || error == ERROR_MORE_DATA) {
        GetOverlappedResult(pipe, &overlapped, &done, TRUE);
    }
    CloseHandle(overlapped.hEvent);
    return error;
}

// Reads what is left of a message longer than a request, so that the client's
// close, not the rest of its message, is what the server waits for after the
// answer: a disconnect while the answer is unread throws the answer away.
// A client that never ends its message is cut off at the time limit.
void DrainMessage(HANDLE pipe, HANDLE stop) {
    const DWORD started = GetTickCount();
    BYTE rest[kReadRoom];
    DWORD size = 0;
    while (Transfer(pipe, false, rest, sizeof rest, stop, size) == ERROR_MORE_DATA &&
           GetTickCount() - started < kClientTimeLimit) {}
}

void ServeClient(HANDLE pipe, HANDLE stop) {
    RouteCaller caller;
    caller.processId = PipeEndProcessId(pipe, "GetNamedPipeClientProcessId");
    caller.user = ProcessUser(caller.processId);

    BYTE request[kReadRoom];
    DWORD size = 0;
    DWORD error = Transfer(pipe, false, request, sizeof request, stop, size);
    RouteAnswer answer;
    if (error == WAIT_TIMEOUT) {
        answer = RefusalAnswer(RouteRefusal::NoRequest);
        SupportLog::Write("Refused process %lu (user %s): %s within %lu ms", caller.processId, caller.user.GetString(),
                          RouteRefusalText(RouteRefusal::NoRequest), kClientTimeLimit);
    } else if (error == ERROR_MORE_DATA) {
        DrainMessage(pipe, stop);
        answer = RefusalAnswer(RouteRefusal::WrongSize);
        SupportLog::Write("Refused process %lu (user %s): %s (more than %lu bytes)", caller.processId,
                          caller.user.GetString(), RouteRefusalText(RouteRefusal::WrongSize), kReadRoom);
    } else if (error != 0) {
        SupportLog::Write("Process %lu (user %s) left before its request: error %lu", caller.processId,
                          caller.user.GetString(), error);
        return;
    } else {
        answer = HandleRouteRequest(request, size, caller);
    }
    DWORD written = 0;
    error = Transfer(pipe, true, &answer, sizeof answer, stop, written);
    if (error != 0) {
        SupportLog::Write("The answer to process %lu was not taken: error %lu", caller.processId, error);
        return;
    }
    // A disconnect throws away what the client has not read yet: the client's
    // close, or its time limit, ends the conversation.
    BYTE rest[kReadRoom];
    Transfer(pipe, false, rest, sizeof rest, stop, size);
}

} // namespace

HANDLE CreateRoutePipe(DWORD& error) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(kPipeAccess, SDDL_REVISION_1, &descriptor, nullptr)) {
        error = GetLastError();
        return INVALID_HANDLE_VALUE;
    }
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, descriptor, FALSE};
    // One instance: clients take turns, and a route run is never shared.
    HANDLE pipe =
        CreateNamedPipeA(kRouteServicePipe, PIPE_ACCESS_DUPLEX | FILE_FLAG_FIRST_PIPE_INSTANCE | FILE_FLAG_OVERLAPPED,
                         PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1,
                         sizeof(RouteAnswer), kReadRoom, 0, &attributes);
    error = pipe == INVALID_HANDLE_VALUE ? GetLastError() : 0;
    LocalFree(descriptor);
    return pipe;
}

void ServeRoutePipe(HANDLE pipe, HANDLE stop) {
    OVERLAPPED overlapped;
    ZeroMemory(&overlapped, sizeof overlapped);
    overlapped.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!overlapped.hEvent) return;
    for (;;) {
        ResetEvent(overlapped.hEvent);
        bool connected = ConnectNamedPipe(pipe, &overlapped) || GetLastError() == ERROR_PIPE_CONNECTED;
        if (!connected && GetLastError() == ERROR_IO_PENDING) {
            HANDLE waits[] = {overlapped.hEvent, stop};
            if (WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0) {
                CancelIo(pipe);
                DWORD ignored;
                GetOverlappedResult(pipe, &overlapped, &ignored, TRUE);
                break;
            }
            DWORD ignored;
            connected = GetOverlappedResult(pipe, &overlapped, &ignored, FALSE) != FALSE;
        }
        if (connected) ServeClient(pipe, stop);
        DisconnectNamedPipe(pipe);
        if (WaitForSingleObject(stop, 0) == WAIT_OBJECT_0) break;
        // A pipe that cannot take clients any more must not spin.
        if (!connected) Sleep(100);
    }
    CloseHandle(overlapped.hEvent);
}
