// Asks a window, from a thread of its own, again and again how long it takes to
// answer a sent WM_NULL, the way a user's clicks would wait for it.
#pragma once
#include <windows.h>

#include <vector>

namespace bench {

class ResponsivenessProbe {
public:
    struct Sample {
        // When the message was sent (system time, 100 ns units) and how long
        // the answer took; a message that was not answered within the limit
        // counts with the full limit.
        ULONGLONG sentAt;
        double latencyMs;
    };

    explicit ResponsivenessProbe(HWND window);
    ~ResponsivenessProbe();
    ResponsivenessProbe(const ResponsivenessProbe&) = delete;
    ResponsivenessProbe& operator=(const ResponsivenessProbe&) = delete;

    bool start();
    // Stops the probing thread and hands over what it measured.
    std::vector<Sample> stop();

private:
    static DWORD WINAPI Run(void* self);

    HWND m_window;
    HANDLE m_thread = nullptr;
    volatile LONG m_stopping = 0;
    std::vector<Sample> m_samples;
};

} // namespace bench
