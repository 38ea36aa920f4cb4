#include "ResponsivenessProbe.h"

#include <utility>

namespace bench {
namespace {

// Longer than any stall the benchmark could report, short enough that a dead
// window cannot hold the probe.
constexpr UINT kAnswerLimitMs = 10000;
// Between answers: often enough to catch a stall of a few milliseconds, rarely
// enough that the probe itself does not load the dialog.
constexpr DWORD kPauseMs = 2;
constexpr DWORD kStopLimitMs = kAnswerLimitMs + 5000;

ULONGLONG SystemTime() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return (static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

} // namespace

ResponsivenessProbe::ResponsivenessProbe(HWND window) : m_window(window) {}

ResponsivenessProbe::~ResponsivenessProbe() { stop(); }

bool ResponsivenessProbe::start() {
    if (m_thread) return false;
    m_stopping = 0;
    m_samples.clear();
    m_samples.reserve(20000);
    m_thread = CreateThread(nullptr, 0, Run, this, 0, nullptr);
    return m_thread != nullptr;
}

std::vector<ResponsivenessProbe::Sample> ResponsivenessProbe::stop() {
    if (m_thread) {
        InterlockedExchange(&m_stopping, 1);
        // The thread ends within one answer limit; should it not, the samples
        // stay where they are rather than be read while it writes them.
        if (WaitForSingleObject(m_thread, kStopLimitMs) != WAIT_OBJECT_0) return {};
        CloseHandle(m_thread);
        m_thread = nullptr;
    }
    return std::move(m_samples);
}

DWORD WINAPI ResponsivenessProbe::Run(void* self) {
    auto* probe = static_cast<ResponsivenessProbe*>(self);
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    while (!probe->m_stopping && IsWindow(probe->m_window)) {
        Sample sample;
        sample.sentAt = SystemTime();
        LARGE_INTEGER before, after;
        QueryPerformanceCounter(&before);
        DWORD_PTR result = 0;
        SetLastError(0);
        bool answered = SendMessageTimeoutA(probe->m_window, WM_NULL, 0, 0, SMTO_NORMAL, kAnswerLimitMs, &result) != 0;
        QueryPerformanceCounter(&after);
        // Unanswered for another reason than the limit: the window went away
        // with the program, which ends the probing.
        if (!answered && GetLastError() != ERROR_TIMEOUT) break;
        sample.latencyMs = answered ? 1000.0 * static_cast<double>(after.QuadPart - before.QuadPart) /
                                          static_cast<double>(frequency.QuadPart)
                                    : kAnswerLimitMs;
        probe->m_samples.push_back(sample);
        Sleep(kPauseMs);
    }
    return 0;
}

} // namespace bench
