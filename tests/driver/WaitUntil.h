// Polls a condition until it holds or a time limit passes; every wait of the
// end-to-end tests goes through here so that none can hang.
#pragma once
#include <windows.h>
#include <functional>

namespace driver {

// Returns true as soon as done() returns true, false once timeoutMs have passed
// (done() is asked one last time at the limit). pollMs is the pause between asks.
bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs, DWORD pollMs = 15);

}  // namespace driver
