#include "RouteServiceProtocol.h"

DWORD PipeEndProcessId(HANDLE pipe, const char* query) {
    typedef BOOL(WINAPI * PipeEndProcessIdProc)(HANDLE pipe, PULONG processId);
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    auto call = kernel ? reinterpret_cast<PipeEndProcessIdProc>(reinterpret_cast<void*>(GetProcAddress(kernel, query)))
                       : nullptr;
    ULONG processId = 0;
    if (!call || !call(pipe, &processId)) return 0;
    return processId;
}

const char* RouteRefusalText(RouteRefusal refusal) {
    switch (refusal) {
    case RouteRefusal::None:
        return "carried out";
    case RouteRefusal::WrongSize:
        return "the request was not one whole record";
    case RouteRefusal::UnknownVersion:
        return "the request's version is not the service's";
    case RouteRefusal::UnknownVerb:
        return "the request asked for nothing the service does";
    case RouteRefusal::NoRequest:
        return "no request arrived in time";
    case RouteRefusal::Busy:
        return "the service was busy with another route run";
    case RouteRefusal::RasUnavailable:
        return "the service could not ask RAS for the connections";
    case RouteRefusal::NoConnection:
        return "the service found no active connection of the firm's entry";
    case RouteRefusal::NoAddress:
        return "the service could not read the connection's client address";
    }
    return "refused for an unknown reason";
}
