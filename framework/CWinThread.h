#pragma once
// Threads run by the framework, and the starting of worker threads.
#include "CWnd.h"

// A thread run by the framework. A worker thread (AfxBeginThread) runs its
// procedure; otherwise InitInstance, Run and ExitInstance run in turn. When
// the thread's work returns and m_bAutoDelete is set, the object deletes
// itself, closing m_hThread: a holder that needs the handle longer
// duplicates it first.

class CWnd;

typedef UINT(AFX_CDECL* AFX_THREADPROC)(LPVOID);

class CWinThread : public CCmdTarget {
public:
    CWinThread();
    CWinThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam);
    virtual ~CWinThread(); // closes m_hThread

    // Starts the thread; with CREATE_SUSPENDED it waits for ResumeThread.
    BOOL CreateThread(DWORD dwCreateFlags = 0, UINT nStackSize = 0, LPSECURITY_ATTRIBUTES lpSecurityAttrs = nullptr);
    DWORD ResumeThread();
    DWORD SuspendThread();
    BOOL SetThreadPriority(int nPriority);
    int GetThreadPriority();
    operator HANDLE() const { return m_hThread; }

    HANDLE m_hThread;
    DWORD m_nThreadID;
    BOOL m_bAutoDelete;
    CWnd* m_pMainWnd;

    virtual BOOL InitInstance();
    // Base: the thread's message loop until WM_QUIT, then ExitInstance.
    virtual int Run();
    // Base: the wParam of the last WM_QUIT the loop took, 0 when none.
    virtual int ExitInstance();
    // Base: offers the message to the window objects from its target window
    // up to its top-level window, then to the main window.
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    // Deletes the object when m_bAutoDelete is set.
    virtual void Delete();

    AFX_THREADPROC m_pfnThreadProc;
    LPVOID m_pThreadParams;

protected:
    MSG m_msgCur;

private:
    static unsigned __stdcall ThreadEntry(void* pThread);
};

// Starts a worker thread on pfnThreadProc(pParam). The thread is created
// suspended, given nPriority and then resumed unless dwCreateFlags asks for
// CREATE_SUSPENDED; m_hThread and m_nThreadID are valid on return. The
// procedure's result is the thread's exit code. Null when the thread cannot
// be created; nothing is left behind then.
CWinThread* AFXAPI AfxBeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam, int nPriority = THREAD_PRIORITY_NORMAL,
                                  UINT nStackSize = 0, DWORD dwCreateFlags = 0,
                                  LPSECURITY_ATTRIBUTES lpSecurityAttrs = nullptr);
