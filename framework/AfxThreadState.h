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
    ~AfxThreadState(); // releases the temporaries at thread end

    std::unordered_map<HWND, CWnd*> permanentWnds;
    std::unordered_map<HWND, CWnd*> tempWnds;
    std::unordered_map<HDC, CDC*> tempDCs;
    std::unordered_map<HGDIOBJ, CGdiObject*> tempGdiObjects;

    MSG lastSentMsg;             // the message AfxWndProc is handling, for Default()
    HWND lockoutNotifyWindow;    // control notifications to it are dropped during UpdateData
    CWinThread* currentThread;   // the CWinThread running this thread, if any
    int loopDepth;               // framework message loops running on this thread

    // All temporaries; only when no framework loop below the caller may hold one.
    void ReleaseTemporaries();
    // Window temporaries whose window no longer exists.
    void ReleaseDeadWindowTemporaries();
    void ReleaseTempDC(HDC hDC);
    void ReleaseTempGdiObject(HGDIOBJ hObject);
};

AfxThreadState& AfxGetThreadState();
// Called by a framework message loop whenever the queue is empty.
void AfxOnLoopIdle();
