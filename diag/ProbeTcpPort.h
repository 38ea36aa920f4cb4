#pragma once
#include "CString.h"

// Opens and at once closes one TCP connection to the first address of host
// (a name or a dotted IPv4 address) on port, and describes the outcome in
// resultText, one line in every case. true only when the connection was made.
// Blocks for as long as the name lookup and the connection attempt take.
bool ProbeTcpPort(const char* host, unsigned short port, CString& resultText);
