#pragma once
// The program's side of the route service: whether the program may change the
// routing table itself, and one request to the service when it may not.
#include <windows.h>

#include "CString.h"
#include "RouteServiceProtocol.h"

// The calls that decide which way the routes go; only tests replace them.
struct RouteClientSeams {
    // True when this process's token may change the routing table: elevated,
    // or on a system without elevation at all.
    bool (*ownTokenIsElevated)();
    // The route service's process id from the service control manager; 0 when
    // it is not installed or not running, with the reason in `why`.
    DWORD (*serviceProcessId)(CString& why);
};

extern RouteClientSeams g_routeClientSeams;
// The real calls, for a test to restore or to pass through to.
extern const RouteClientSeams kRealRouteClientSeams;

// How long the program waits for the service's pipe to be free, and for an
// answer: the service runs its commands one after another, each bounded.
const DWORD kRoutePipeWaitLimit = 30000;
const DWORD kRouteAnswerWaitLimit = 90000;

// Sends one request and reads its answer. True when the service answered
// (carried out or refused: see answer.refusal); false when it could not be
// asked, with the reason in `why`: no service, a pipe whose server is not the
// service's process, no answer in time, an answer that is not one.
bool AskRouteService(RouteVerb verb, RouteAnswer& answer, CString& why);
