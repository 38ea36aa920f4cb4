// One whole login attempt of the real program against the stand-ins, timed from
// outside: the Login click, the dial, the routes, the client's start, the hidden
// wait, the client's end and the program's teardown.
#pragma once
#include <windows.h>

#include <string>

namespace bench {

struct AttemptOptions {
    // How long the RAS stand-in takes to dial, left out of the overhead.
    DWORD dialDelayMs = 500;
    // Status queries after the hang-up that still find the connection.
    int hangUpPolls = 2;
    // The name of a folder of the benchmark's own, in the temporary folder,
    // for the stand-ins' logs and scenario.
    std::string folder;
    // The program started with a standard user's token, so that the route
    // service installed on the desk runs the route commands for it.
    bool throughService = false;
};

struct AttemptSample {
    bool ok = false;
    std::string failure;

    // Milliseconds. From the click to the RasDialA call: the worker's start,
    // loading the RAS library and provisioning the entry.
    double toDialMs = 0;
    // RasDialA to the projection query, less the scripted dial time.
    double dialMs = 0;
    // The projection query to the end of the last route command.
    double routesMs = 0;
    // Of which the projection query to the start of the first route command.
    double toFirstRouteMs = 0;
    // Of which the route children spent running their own main().
    double routesInsideMs = 0;
    // The end of the last route command to the client's creation.
    double clientStartMs = 0;
    // The click to the client's creation, less the scripted dial time.
    double overheadMs = 0;

    // The longest answer to WM_NULL between the click and the client's end,
    // and the same without the starter's wait (the click until the worker's
    // first RAS call).
    double longestAnswerMs = 0;
    double longestAnswerAfterStartMs = 0;
    int answers = 0;

    // The client's creation to the moment the dialog was seen hidden (the
    // program waits 3,182 ms; the rest is the message's way and the polling).
    double hideAfterClientMs = 0;
    // From the client's exit to the program's.
    double teardownMs = 0;
    // Committed private pages of the hidden program while the client runs.
    SIZE_T attemptCommitted = 0;
};

AttemptSample MeasureAttempt(const AttemptOptions& options);

} // namespace bench
