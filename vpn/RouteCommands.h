#pragma once
// The split-tunnel route commands, built in one place for whoever runs them
// (the program itself, or the route service on its behalf), and what became of
// them.
#include <windows.h>
#include <vector>

#include "CString.h"
#include "RouteEntry.h"

// The default route through the tunnel is deleted first, then one route per
// entry is added, front to back; the client address ends every line.
std::vector<CString> RouteCommandLines(const std::vector<RouteEntry>& routes, const CString& clientAddress);

// True for a dotted quad and nothing else: what may end a command line.
bool IsDottedQuad(const char* text);

// The route commands' outcome for the link's last route step.
struct RouteOutcome {
    int commands = 0;
    int failed = 0;
    // Of the failed ones, those that may leave one of the firm's networks
    // unrouted: every command but a DELETE of the default route that ran and
    // found nothing to delete.
    int unrouting = 0;
    // Why the commands ran where they did, when it matters: the service's
    // refusal, or "" when nothing stood in the way.
    CString serviceReason;
    // One line per failed command: its text and its exit code.
    CString failures;

    bool Routed() const { return unrouting == 0; }
    void Record(const CString& commandLine, DWORD exitCode);
    // For the user: which commands failed and why, one per line; "" when the
    // firm's networks are routed.
    CString Summary() const;
    // For the support log, once the commands have run: what failed, and
    // whether it leaves the firm's networks unrouted.
    void Log() const;
};
