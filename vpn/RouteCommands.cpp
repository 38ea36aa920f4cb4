#include "RouteCommands.h"

#include <cstdio>

#include <SupportLog.h>

#include "VpnPlatformCalls.h"

namespace {
const char kDeleteDefaultRoute[] = "route DELETE 0.0.0.0 ";
} // namespace

std::vector<CString> RouteCommandLines(const std::vector<RouteEntry>& routes, const CString& clientAddress) {
    std::vector<CString> lines;
    // The tunnel's own default route would send all traffic to the firm;
    // only its networks go through the tunnel, the rest stays local.
    lines.push_back(kDeleteDefaultRoute + clientAddress);
    for (const RouteEntry& route : routes)
        lines.push_back("route ADD " + route.network + " MASK " + route.mask + " " + clientAddress);
    return lines;
}

bool IsDottedQuad(const char* text) {
    unsigned parts[4];
    char tail;
    for (const char* at = text; *at; ++at)
        if ((*at < '0' || *at > '9') && *at != '.') return false;
    if (std::sscanf(text, "%u.%u.%u.%u%c", &parts[0], &parts[1], &parts[2], &parts[3], &tail) != 4) return false;
    for (unsigned part : parts)
        if (part > 255) return false;
    return true;
}

namespace {

CString ExitText(DWORD exitCode) {
    CString text;
    if (exitCode == kCommandNotStarted)
        text = "could not be started";
    else if (exitCode == kCommandStillRunning)
        text = "still running at its time limit";
    else
        text.Format("exit code %lu", exitCode);
    return text;
}

} // namespace

void RouteOutcome::Record(const CString& commandLine, DWORD exitCode) {
    ++commands;
    if (exitCode == 0) return;
    ++failed;
    // The firm's entry does not use the remote network's default gateway, so
    // the tunnel mostly has no default route, and route says it found none to
    // delete: the firm's networks are routed all the same. A DELETE that could
    // not run, or did not end, may have left one.
    const bool ranAndFoundNone = commandLine.Find(kDeleteDefaultRoute) == 0 && exitCode != kCommandNotStarted &&
                                 exitCode != kCommandStillRunning;
    if (!ranAndFoundNone) ++unrouting;
    if (!failures.IsEmpty()) failures += "\r\n";
    failures += "\"" + commandLine + "\": " + ExitText(exitCode);
}

void RouteOutcome::Log() const {
    if (!Routed())
        SupportLog::Write("The firm's networks are not routed: %s", Summary().GetString());
    else if (failed != 0)
        SupportLog::Write("The firm's networks are routed; the tunnel had no default route to delete: %s",
                          failures.GetString());
}

CString RouteOutcome::Summary() const {
    if (Routed()) return "";
    CString text;
    text.Format("%d of %d route commands failed", failed, commands);
    if (!serviceReason.IsEmpty()) text += " (route service: " + serviceReason + ")";
    return text + ":\r\n" + failures;
}
