#pragma once
// What the program and the route service say to each other over the service's
// pipe. Both sides send one fixed-size record per request; nothing in a request
// names a network, a mask, a gateway or a command: the service finds the firm's
// connection and builds the commands itself.
#include <windows.h>

// The service's name with the service control manager, and its pipe.
constexpr char kRouteServiceName[] = "QuillmarshVPNService";
constexpr char kRouteServiceDisplayName[] = "Quillmarsh VPN route service";
constexpr char kRouteServicePipe[] = "\\\\.\\pipe\\QuillmarshVPN.Routes";

// Both records start with this tag and the version they are written in; a
// service answers only requests of its own version.
constexpr DWORD kRouteProtocolTag = 0x54524D51; // "QMRT"
constexpr DWORD kRouteProtocolVersion = 1;

enum class RouteVerb : DWORD {
    ApplyRoutes = 1, // put the firm's routes in place for its live connection
    Status = 2,      // say which connection the service would route, run nothing
};

// Why a request was refused; None for a request that was carried out.
enum class RouteRefusal : DWORD {
    None = 0,
    WrongSize,      // the request was not one whole record
    UnknownVersion, // tag or version not the service's
    UnknownVerb,    // neither of the two verbs
    NoRequest,      // the client sent nothing within the time limit
    Busy,           // another route run held the service past the wait limit
    RasUnavailable, // RAS could not be asked (detail: the error)
    NoConnection,   // no active connection of the firm's entry
    NoAddress,      // its projection could not be read or is not an address (detail: the error)
};

struct RouteRequest {
    DWORD tag;
    DWORD version;
    RouteVerb verb;
    DWORD reserved; // 0
};

// As many commands as an answer can report: the default route's delete and one
// per route of the firm's list.
constexpr DWORD kMaxRouteCommands = 8;

struct RouteAnswer {
    DWORD tag;
    DWORD version;
    RouteVerb verb;
    RouteRefusal refusal;
    DWORD detail;           // the error behind a refusal, or 0
    char clientAddress[16]; // the connection's client address the commands used, or ""
    DWORD commandCount;     // commands run, in order
    DWORD exitCodes[kMaxRouteCommands];
};

static_assert(sizeof(RouteRequest) == 16, "the request's size is part of the protocol");
static_assert(sizeof(RouteAnswer) == 72, "the answer's size is part of the protocol");

// The refusal in words, for the logs and the program's warning.
const char* RouteRefusalText(RouteRefusal refusal);

// Who is at the pipe's other end, through kernel32's `query`
// ("GetNamedPipeServerProcessId" or "GetNamedPipeClientProcessId"), bound by
// name so that the program still starts on systems before Vista; 0 when the
// system cannot tell.
DWORD PipeEndProcessId(HANDLE pipe, const char* query);
