#pragma once
// The connections this process has dialled, by handle. A hung-up connection
// stays known for a scripted number of status queries, as a real one lingers
// while its port closes.
#include <windows.h>
#include <ras.h>

class Connections {
public:
    enum class State { Gone, Connected, Failed, Closing };

    // The gateway ending links from its side: every connected link dialled
    // under an older serial fails with this error when next looked at.
    struct Drop {
        DWORD serial;
        DWORD error;
    };

    static HRASCONN Open(bool connected, DWORD error, DWORD dropSerial);
    // Status as a query sees it; each query of a closing connection counts
    // down towards its end. *dropped tells whether this very call found the
    // connection dropped.
    static State Query(HRASCONN handle, const Drop& drop, DWORD* error, bool* dropped);
    // Peek without counting.
    static State StateOf(HRASCONN handle, const Drop& drop, bool* dropped);
    // pollsLeft < 0: the connection never goes. False for an unknown handle.
    static bool Close(HRASCONN handle, long pollsLeft, const Drop& drop, bool* dropped);
};
