#pragma once
// One request to the route service, from its bytes to its answer, away from
// the pipe: checks the record, finds the firm's live connection through RAS,
// runs the route commands for its client address and says how each ended.
#include <windows.h>

#include <CString.h>
#include <RasApiTable.h>
#include <RouteServiceProtocol.h>

typedef DWORD(WINAPI* RasEnumConnectionsAProc)(RasConn412* connections, LPDWORD size, LPDWORD count);

// The service's calls to RAS and to the command runner; only tests replace them.
struct RouteServiceSeams {
    RasEnumConnectionsAProc enumConnections;
    RasGetProjectionInfoAProc getProjectionInfo;
    DWORD (*runCommand)(const char* programPath, CString commandLine, DWORD waitLimitMs);
};

extern RouteServiceSeams g_routeServiceSeams;
// The real calls, for a test to restore or to pass through to.
extern const RouteServiceSeams kRealRouteServiceSeams;

// Who sent a request, as the pipe reports it, for the log.
struct RouteCaller {
    DWORD processId;
    CString user;
};

// As many connections as the service looks through for the firm's entry.
const DWORD kMaxConnections = 16;

// Every outcome is an answer: a refusal carries its reason and nothing ran.
RouteAnswer HandleRouteRequest(const void* bytes, DWORD size, const RouteCaller& caller);

// An answer that refuses a request for `refusal` before it was read.
RouteAnswer RefusalAnswer(RouteRefusal refusal, RouteVerb verb = RouteVerb::Status);
