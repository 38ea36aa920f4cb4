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

}  // namespace

ResponsivenessProbe::ResponsivenessProbe(HWND window) : window_(window) {}

ResponsivenessProbe::~ResponsivenessProbe() { stop(); }

bool ResponsivenessProbe::start() {
    if (thread_) return false;
    stopping_ = 0;
    samples_.clear();
    samples_.reserve(20000);
    thread_ = CreateThread(nullptr, 0, Run, this, 0, nullptr);
    return thread_ != nullptr;
}

std::vector<ResponsivenessProbe::Sample> ResponsivenessProbe::stop() {
    if (thread_) {
        InterlockedExchange(&stopping_, 1);
        // The thread ends within one answer limit; should it not, the samples
        // stay where they are rather than be read while it writes them.
        if (WaitForSingleObject(thread_, kStopLimitMs) != WAIT_OBJECT_0) return {};
        CloseHandle(thread_);
        thread_ = nullptr;
    }
    return std::move(samples_);
}

DWORD WINAPI ResponsivenessProbe::Run(void* self) {
    auto* probe = static_cast<ResponsivenessProbe*>(self);
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    while (!probe->stopping_ && IsWindow(probe->window_)) {
        Sample sample;
        sample.sentAt = SystemTime();
        LARGE_INTEGER before, after;
        QueryPerformanceCounter(&before);
        DWORD_PTR result = 0;
        SetLastError(0);
        bool answered =
            SendMessageTimeoutA(probe->window_, WM_NULL, 0, 0, SMTO_NORMAL, kAnswerLimitMs, &result) != 0;
        QueryPerformanceCounter(&after);
        // Unanswered for another reason than the limit: the window went away
        // with the program, which ends the probing.
        if (!answered && GetLastError() != ERROR_TIMEOUT) break;
        sample.latencyMs = answered ? 1000.0 * static_cast<double>(after.QuadPart - before.QuadPart) /
                                          static_cast<double>(frequency.QuadPart)
                                    : kAnswerLimitMs;
        probe->samples_.push_back(sample);
        Sleep(kPauseMs);
    }
    return 0;
}

}  // namespace bench
