// Polls a condition until it holds or a time limit passes; every wait of the
// end-to-end tests goes through here so that none can hang.
#pragma once
#include <windows.h>
#include <functional>

namespace driver {

// How long a test gives the program for a reaction it is sure to show: a
// window's text, state, focus or paint, a box coming or going. A busy machine
// can hold a Wine program back for seconds, and a test that passes never waits
// this out, so it is generous; what a test judges is what happened and in which
// order, never how fast.
constexpr DWORD kReactionLimitMs = 20000;
// The same for a whole attempt or a process's end: a dial, five route commands,
// a client, a hang-up, each a Wine process or a round trip through one.
constexpr DWORD kAttemptLimitMs = 60000;

// Returns true as soon as done() returns true, false once timeoutMs have passed
// (done() is asked one last time at the limit). pollMs is the pause between asks.
bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs, DWORD pollMs = 15);

} // namespace driver
