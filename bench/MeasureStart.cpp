#include "MeasureStart.h"

#include <psapi.h>

#include "CommittedPrivateBytes.h"
#include "FindTopLevelWindow.h"
#include "ProductSession.h"
#include "resource.h"

namespace bench {
namespace {

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Ready for input: shown, and its first box is served by a running message loop.
bool DialogReady(DWORD processId, const char* caption) {
    driver::Window dialog = driver::FindTopLevelWindow(processId, nullptr, caption);
    if (!dialog || !dialog.visible()) return false;
    driver::Window userId = dialog.child(IDC_USER_ID);
    char text[64];
    return userId && userId.send(WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), nullptr, 1000);
}

} // namespace

StartSample MeasureStart(const std::string& program, const char* caption, DWORD settleMs, DWORD timeoutMs) {
    StartSample sample;
    driver::ProductSession session;
    driver::ProductSession::Options options;
    options.program = program;

    LARGE_INTEGER started, ready;
    QueryPerformanceCounter(&started);
    if (!session.start(options)) {
        sample.failure = "CreateProcess error " + std::to_string(session.lastError());
        return sample;
    }
    // A short pause between looks keeps the timing fine without the looking
    // itself taking the target's time.
    const DWORD limit = GetTickCount();
    while (!DialogReady(session.processId(), caption)) {
        if (!session.running()) {
            sample.failure = "ended before its dialog was ready";
            return sample;
        }
        if (GetTickCount() - limit > timeoutMs) {
            sample.failure = "no dialog within the limit";
            return sample;
        }
        Sleep(1);
    }
    QueryPerformanceCounter(&ready);
    sample.readyMs = Milliseconds(started, ready);

    Sleep(settleMs);
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(session.process(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                              sizeof counters)) {
        sample.failure = "GetProcessMemoryInfo error " + std::to_string(GetLastError());
        return sample;
    }
    sample.privateUsage = counters.PrivateUsage;
    sample.workingSet = counters.WorkingSetSize;
    sample.privateCommitted = driver::CommittedPrivateBytes(session.process());
    if (session.close()) {
        sample.failure = "ended by itself while idle";
        return sample;
    }
    sample.ok = true;
    return sample;
}

} // namespace bench
