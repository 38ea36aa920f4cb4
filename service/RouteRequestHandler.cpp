#include "RouteRequestHandler.h"

#include <cstring>
#include <vector>

#include <RouteCommands.h>
#include <SupportLog.h>
#include <SystemLibrary.h>
#include <VpnLink.h>
#include <VpnPlatformCalls.h>

namespace {

// RAS is bound from the system folder on first use and kept for the
// service's life: one service, one copy of the library.
FARPROC RasEntryPoint(const char* name) {
    static HMODULE library = nullptr;
    if (!library) {
        char path[MAX_PATH];
        if (SystemFilePath("rasapi32.dll", path, sizeof path)) library = LoadLibraryA(path);
    }
    return library ? GetProcAddress(library, name) : nullptr;
}

DWORD WINAPI EnumConnections(RasConn412* connections, LPDWORD size, LPDWORD count) {
    auto call =
        reinterpret_cast<RasEnumConnectionsAProc>(reinterpret_cast<void*>(RasEntryPoint("RasEnumConnectionsA")));
    return call ? call(connections, size, count) : ERROR_PROC_NOT_FOUND;
}

DWORD WINAPI GetProjectionInfo(HRASCONN connection, RASPROJECTION projection, LPVOID info, LPDWORD size) {
    auto call =
        reinterpret_cast<RasGetProjectionInfoAProc>(reinterpret_cast<void*>(RasEntryPoint("RasGetProjectionInfoA")));
    return call ? call(connection, projection, info, size) : ERROR_PROC_NOT_FOUND;
}

const char* VerbName(RouteVerb verb) {
    switch (verb) {
    case RouteVerb::ApplyRoutes:
        return "apply the routes";
    case RouteVerb::Status:
        return "status";
    }
    return "unknown";
}

RouteAnswer Refuse(const RouteCaller& caller, RouteRefusal refusal, RouteVerb verb, DWORD detail = 0) {
    RouteAnswer answer = RefusalAnswer(refusal, verb);
    answer.detail = detail;
    SupportLog::Write("Refused process %lu (user %s), verb %s: %s (error %lu)", caller.processId,
                      caller.user.GetString(), VerbName(verb), RouteRefusalText(refusal), detail);
    return answer;
}

// The firm's connection as RAS reports it, and its client address; a
// refusal when there is none to route.
RouteRefusal FindFirmConnection(const CString& entryName, char (&clientAddress)[16], DWORD& detail) {
    std::vector<RasConn412> connections(kMaxConnections);
    ZeroMemory(connections.data(), connections.size() * sizeof(RasConn412));
    connections[0].dwSize = sizeof(RasConn412);
    DWORD size = static_cast<DWORD>(connections.size() * sizeof(RasConn412));
    DWORD count = 0;
    detail = g_routeServiceSeams.enumConnections(connections.data(), &size, &count);
    if (detail != 0) return RouteRefusal::RasUnavailable;
    if (count > kMaxConnections) count = kMaxConnections;
    for (DWORD i = 0; i < count; ++i) {
        const RasConn412& connection = connections[i];
        if (entryName.CompareNoCase(
                CString(connection.szEntryName,
                        static_cast<int>(strnlen(connection.szEntryName, sizeof connection.szEntryName)))) != 0)
            continue;
        RasPppIp48 projection;
        ZeroMemory(&projection, sizeof projection);
        projection.dwSize = sizeof projection;
        DWORD projectionSize = sizeof projection;
        detail = g_routeServiceSeams.getProjectionInfo(connection.hrasconn, RASP_PppIp, &projection, &projectionSize);
        if (detail != 0) return RouteRefusal::NoAddress;
        projection.szIpAddress[sizeof projection.szIpAddress - 1] = '\0';
        // The address ends every command line: nothing else may stand there.
        if (!IsDottedQuad(projection.szIpAddress) || std::strlen(projection.szIpAddress) >= sizeof clientAddress)
            return RouteRefusal::NoAddress;
        std::strcpy(clientAddress, projection.szIpAddress);
        return RouteRefusal::None;
    }
    return RouteRefusal::NoConnection;
}

} // namespace

const RouteServiceSeams kRealRouteServiceSeams = {
    EnumConnections,
    GetProjectionInfo,
    RunHiddenCommand,
};

RouteServiceSeams g_routeServiceSeams = kRealRouteServiceSeams;

RouteAnswer RefusalAnswer(RouteRefusal refusal, RouteVerb verb) {
    RouteAnswer answer;
    ZeroMemory(&answer, sizeof answer);
    answer.tag = kRouteProtocolTag;
    answer.version = kRouteProtocolVersion;
    answer.verb = verb;
    answer.refusal = refusal;
    return answer;
}

RouteAnswer HandleRouteRequest(const void* bytes, DWORD size, const RouteCaller& caller) {
    if (size != sizeof(RouteRequest)) return Refuse(caller, RouteRefusal::WrongSize, RouteVerb::Status, size);
    RouteRequest request;
    std::memcpy(&request, bytes, sizeof request);
    if (request.tag != kRouteProtocolTag || request.version != kRouteProtocolVersion)
        return Refuse(caller, RouteRefusal::UnknownVersion, request.verb, request.version);
    if (request.verb != RouteVerb::ApplyRoutes && request.verb != RouteVerb::Status)
        return Refuse(caller, RouteRefusal::UnknownVerb, RouteVerb::Status, static_cast<DWORD>(request.verb));

    // The presets say which entry is the firm's and which networks it routes;
    // nothing of either comes from the caller.
    const VpnLinkSettings firm;
    RouteAnswer answer = RefusalAnswer(RouteRefusal::None, request.verb);
    DWORD detail = 0;
    RouteRefusal found = FindFirmConnection(firm.entryName, answer.clientAddress, detail);
    if (found != RouteRefusal::None) return Refuse(caller, found, request.verb, detail);
    SupportLog::Write("Process %lu (user %s), verb %s: connection \"%s\" found, client address %s", caller.processId,
                      caller.user.GetString(), VerbName(request.verb), firm.entryName.GetString(),
                      answer.clientAddress);
    if (request.verb == RouteVerb::Status) return answer;

    std::vector<CString> commandLines = RouteCommandLines(firm.routes, answer.clientAddress);
    char routeTool[MAX_PATH];
    SystemFilePath("route.exe", routeTool, sizeof routeTool);
    for (const CString& commandLine : commandLines) {
        if (answer.commandCount == kMaxRouteCommands) break;
        DWORD exitCode = g_routeServiceSeams.runCommand(routeTool, commandLine, kHiddenCommandWaitLimit);
        answer.exitCodes[answer.commandCount++] = exitCode;
        SupportLog::Write("\"%s\" for process %lu: exit code %lu", commandLine.GetString(), caller.processId, exitCode);
    }
    return answer;
}
