#pragma once
#include "CWinThread.h"

// Starts a worker thread on pfnThreadProc(pParam). The thread is created
// suspended, given nPriority and then resumed unless dwCreateFlags asks for
// CREATE_SUSPENDED; m_hThread and m_nThreadID are valid on return. The
// procedure's result is the thread's exit code. Null when the thread cannot
// be created; nothing is left behind then.
CWinThread* AFXAPI AfxBeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam,
                                  int nPriority = THREAD_PRIORITY_NORMAL, UINT nStackSize = 0,
                                  DWORD dwCreateFlags = 0,
                                  LPSECURITY_ATTRIBUTES lpSecurityAttrs = nullptr);
