#include "DialFailures.h"

#include <cstdio>
#include <mutex>

namespace {

struct Run {
    DWORD armed; // whether a serial has been seen at all
    DWORD serial;
    DWORD left;
};

std::mutex lock;

// The run lives in memory named after the process rather than in this
// library's data. The handle of whoever creates it is never closed, so it
// lasts exactly as long as the process; later loads map it and let go.
class SharedRun {
public:
    SharedRun() {
        char name[64];
        std::snprintf(name, sizeof name, "qm-ras-standin-dial-failures-%lu", GetCurrentProcessId());
        SetLastError(0);
        m_mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(Run), name);
        m_keeper = m_mapping && GetLastError() != ERROR_ALREADY_EXISTS;
        if (m_mapping) m_run = static_cast<Run*>(MapViewOfFile(m_mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(Run)));
    }
    ~SharedRun() {
        if (m_run) UnmapViewOfFile(m_run);
        if (m_mapping && !m_keeper) CloseHandle(m_mapping);
    }
    Run* Get() const { return m_run; }

private:
    HANDLE m_mapping = nullptr;
    bool m_keeper = false;
    Run* m_run = nullptr;
};

SharedRun shared;

} // namespace

bool DialFailures::Take(const Scenario& scenario, DWORD* left) {
    std::lock_guard<std::mutex> hold(lock);
    Run* run = shared.Get();
    if (!run) return false;
    if (!scenario.Has("dial.fail_next") && !scenario.Has("dial.fail_serial")) {
        // The test took the keys away: the run ends with them.
        run->left = 0;
        return false;
    }
    DWORD serial = scenario.Number("dial.fail_serial", 0);
    if (!run->armed || serial != run->serial) {
        run->armed = 1;
        run->serial = serial;
        run->left = scenario.Number("dial.fail_next", 0);
    }
    if (run->left == 0) return false;
    *left = --run->left;
    return true;
}
