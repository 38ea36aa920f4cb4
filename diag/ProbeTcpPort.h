#pragma once
// Whether a TCP port answers, told in words: the probe, the system's own text
// for an error number, and the sockets calls the probe makes through a table
// that tests replace.
#include <winsock.h>

#include "CString.h"

// Opens and at once closes one TCP connection to the first address of host
// (a name or a dotted IPv4 address) on port, and describes the outcome in
// resultText, one line in every case. true only when the connection was made.
// Blocks for as long as the name lookup and the connection attempt take.
bool ProbeTcpPort(const char* host, unsigned short port, CString& resultText);

// Replaces text with the system's own message for code (a system or Windows
// Sockets error number), exactly as the system words it, trailing line end
// included. Leaves text as it was when the system has no message for code.
void FormatSystemError(DWORD code, CString& text);

// The calls with which the probe starts and ends its use of Windows Sockets
// and obtains and releases its socket. They are the system's own functions;
// only tests replace them, to produce failures the system will not produce on
// demand and to see that everything obtained is released.
struct ProbeSeams {
    int(WINAPI* wsaStartup)(WORD version, LPWSADATA data);
    int(WINAPI* wsaCleanup)();
    SOCKET(WINAPI* socket)(int family, int type, int protocol);
    int(WINAPI* closeSocket)(SOCKET s);
};

extern ProbeSeams g_probeSeams;
// The real calls, for a test to restore or to pass through to.
extern const ProbeSeams kRealProbeSeams;
