#pragma once
// Per-thread bookkeeping of the framework (internal): the window objects
// attached on this thread, the temporary wrappers handed out by FromHandle,
// the message being handled and the data-exchange lockout.
#include <unordered_map>
#include "AfxDefs.h"

class CWnd;
class CDC;
class CGdiObject;
class CWinThread;

struct AfxThreadState {
    AfxThreadState();
    AfxThreadState(const AfxThreadState&) = delete;
    AfxThreadState& operator=(const AfxThreadState&) = delete;
    ~AfxThreadState(); // releases the temporaries at thread end

    static volatile LONG liveCount; // states of all threads, for leak checks

    std::unordered_map<HWND, CWnd*> permanentWnds;
    std::unordered_map<HWND, CWnd*> tempWnds;
    std::unordered_map<HDC, CDC*> tempDCs;
    std::unordered_map<HGDIOBJ, CGdiObject*> tempGdiObjects;

    MSG lastSentMsg;           // the message AfxWndProc is handling, for Default()
    HWND lockoutNotifyWindow;  // control notifications to it are dropped during UpdateData
    CWinThread* currentThread; // the CWinThread running this thread, if any
    int loopDepth;             // framework message loops running on this thread
    size_t nextWndPurge;       // temporaries sizes at which the dead ones are looked for
    size_t nextDCPurge;
    size_t nextGdiPurge;

    // All temporaries; only when no framework loop below the caller may hold one.
    void ReleaseTemporaries();
    // Window temporaries whose window no longer exists.
    void ReleaseDeadWindowTemporaries();
    // Outside any loop nothing else would ever release temporaries of
    // handles that have gone away; these keep the maps proportional to the
    // handles alive, whatever the number of calls.
    void PurgeIfGrown();
    void ReleaseTempDC(HDC hDC);
    void ReleaseTempGdiObject(HGDIOBJ hObject);
};

// The calling thread's state, made on first use and released when the thread ends.
AfxThreadState& AfxGetThreadState();
// The calling thread's state if it has one; never makes one.
AfxThreadState* AfxPeekThreadState();
// Called by a framework message loop whenever the queue is empty.
void AfxOnLoopIdle();
