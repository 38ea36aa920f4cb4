#pragma once
// The route service's one pipe: made so that only local interactive users may
// talk to it and nobody may make a second instance of it, and served one
// client at a time, each within a time limit.
#include <windows.h>

// Network logons and anonymous callers are refused outright, and nobody,
// the service included, may make another instance of the pipe: a second
// server could only be someone posing as the service. Then the system has
// full control and interactive users may read and write.
constexpr char kPipeAccess[] = "D:P(D;;GA;;;NU)(D;;GA;;;AN)(D;;0x4;;;WD)(A;;GA;;;SY)(A;;GRGW;;;IU)";

// How long a client may take to send its request, and to take its answer.
const DWORD kClientTimeLimit = 5000;

// The pipe, or INVALID_HANDLE_VALUE with the system's error (an instance made
// by anyone else first is ERROR_ACCESS_DENIED or ERROR_PIPE_BUSY).
HANDLE CreateRoutePipe(DWORD& error);

// Answers clients until `stop` is signalled; every client gets an answer or a
// refusal, and none holds the pipe past its time limit.
void ServeRoutePipe(HANDLE pipe, HANDLE stop);
