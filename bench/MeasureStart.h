// One start of a program showing the login dialog, timed and weighed from
// outside, then ended through its own process handle.
#pragma once
#include <windows.h>
#include <string>

namespace bench {

struct StartSample {
    bool ok = false;
    // What went wrong when ok is false.
    std::string failure;
    // From just before CreateProcess until the dialog is visible and its User
    // ID box answers a sent message.
    double readyMs = 0;
    // Of the idle dialog, settleMs after it was ready: the commit charge the
    // system reports for the process, the committed private pages counted
    // region by region, and the working set.
    SIZE_T privateUsage = 0;
    SIZE_T privateCommitted = 0;
    SIZE_T workingSet = 0;
};

// Starts `program`, waits up to timeoutMs for the dialog with this caption,
// lets it idle for settleMs, measures it and ends it; the process is gone when
// this returns, so the next start does not meet the program's one-copy guard.
StartSample MeasureStart(const std::string& program, const char* caption, DWORD settleMs, DWORD timeoutMs);

} // namespace bench
