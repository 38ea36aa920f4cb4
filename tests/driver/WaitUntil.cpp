#include "WaitUntil.h"

namespace driver {

bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs, DWORD pollMs) {
    // Differences of GetTickCount stay right across its wrap-around.
    const DWORD start = GetTickCount();
    for (;;) {
        if (done()) return true;
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= timeoutMs) return done();
        const DWORD left = timeoutMs - elapsed;
        Sleep(left < pollMs ? left : pollMs);
    }
}

} // namespace driver
