#pragma once
// The connections this process has dialled, by handle. A hung-up connection
// stays known for a scripted number of status queries, as a real one lingers
// while its port closes.
#include <windows.h>
#include <ras.h>

class Connections {
public:
    enum class State { Gone, Connected, Failed, Closing };

    static HRASCONN Open(bool connected, DWORD error);
    // Status as a query sees it; each query of a closing connection counts
    // down towards its end.
    static State Query(HRASCONN handle, DWORD* error);
    // Peek without counting.
    static State StateOf(HRASCONN handle);
    // pollsLeft < 0: the connection never goes. False for an unknown handle.
    static bool Close(HRASCONN handle, long pollsLeft);
};
