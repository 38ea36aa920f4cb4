#include "CWinThread.h"

#include <new>
#include <process.h>

#include "AfxThreadState.h"
#include "CWinApp.h"

CWinThread::CWinThread() : CWinThread(nullptr, nullptr) {}

CWinThread::CWinThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam)
    : m_hThread(nullptr), m_nThreadID(0), m_bAutoDelete(TRUE), m_pMainWnd(nullptr), m_pfnThreadProc(pfnThreadProc),
      m_pThreadParams(pParam), m_msgCur() {}

CWinThread::~CWinThread() {
    AfxThreadState* state = AfxPeekThreadState();
    if (state && state->currentThread == this) state->currentThread = nullptr;
    if (m_hThread) CloseHandle(m_hThread);
}

BOOL CWinThread::CreateThread(DWORD dwCreateFlags, UINT nStackSize, LPSECURITY_ATTRIBUTES lpSecurityAttrs) {
    // Suspended until the handle and identifier are stored, so the new
    // thread never sees them unset.
    unsigned threadId = 0;
    HANDLE hThread = reinterpret_cast<HANDLE>(
        _beginthreadex(lpSecurityAttrs, nStackSize, &ThreadEntry, this, dwCreateFlags | CREATE_SUSPENDED, &threadId));
    if (!hThread) return FALSE;
    m_hThread = hThread;
    m_nThreadID = threadId;
    if (!(dwCreateFlags & CREATE_SUSPENDED)) ::ResumeThread(hThread);
    return TRUE;
}

DWORD CWinThread::ResumeThread() { return ::ResumeThread(m_hThread); }
DWORD CWinThread::SuspendThread() { return ::SuspendThread(m_hThread); }
BOOL CWinThread::SetThreadPriority(int nPriority) { return ::SetThreadPriority(m_hThread, nPriority); }
int CWinThread::GetThreadPriority() { return ::GetThreadPriority(m_hThread); }

BOOL CWinThread::InitInstance() { return FALSE; }

int CWinThread::Run() {
    AfxThreadState& state = AfxGetThreadState();
    ++state.loopDepth;
    for (;;) {
        MSG peek;
        if (!PeekMessageA(&peek, nullptr, 0, 0, PM_NOREMOVE)) AfxOnLoopIdle();
        BOOL got = GetMessageA(&m_msgCur, nullptr, 0, 0);
        if (got == 0 || got == -1) break;
        if (!PreTranslateMessage(&m_msgCur)) {
            TranslateMessage(&m_msgCur);
            DispatchMessageA(&m_msgCur);
        }
    }
    --state.loopDepth;
    return ExitInstance();
}

int CWinThread::ExitInstance() { return static_cast<int>(m_msgCur.wParam); }

BOOL CWinThread::PreTranslateMessage(MSG* pMsg) {
    HWND hMain = m_pMainWnd ? m_pMainWnd->m_hWnd : nullptr;
    for (HWND hWnd = pMsg->hwnd; hWnd; hWnd = ::GetParent(hWnd)) {
        CWnd* wnd = CWnd::FromHandlePermanent(hWnd);
        if (wnd && wnd->PreTranslateMessage(pMsg)) return TRUE;
        if (hWnd == hMain) return FALSE;
    }
    return m_pMainWnd ? m_pMainWnd->PreTranslateMessage(pMsg) : FALSE;
}

void CWinThread::Delete() {
    if (m_bAutoDelete) delete this;
}

unsigned __stdcall CWinThread::ThreadEntry(void* pThread) {
    CWinThread* thread = static_cast<CWinThread*>(pThread);
    AfxThreadState& state = AfxGetThreadState();
    state.currentThread = thread;
    UINT exitCode;
    if (thread->m_pfnThreadProc) {
        exitCode = thread->m_pfnThreadProc(thread->m_pThreadParams);
    } else if (thread->InitInstance()) {
        exitCode = static_cast<UINT>(thread->Run());
    } else {
        exitCode = static_cast<UINT>(thread->ExitInstance());
    }
    state.currentThread = nullptr;
    state.ReleaseTemporaries();
    thread->Delete();
    return exitCode;
}

CWinThread* AFXAPI AfxBeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam, int nPriority, UINT nStackSize,
                                  DWORD dwCreateFlags, LPSECURITY_ATTRIBUTES lpSecurityAttrs) {
    CWinThread* thread = new (std::nothrow) CWinThread(pfnThreadProc, pParam);
    if (!thread) return nullptr;
    if (!thread->CreateThread(dwCreateFlags | CREATE_SUSPENDED, nStackSize, lpSecurityAttrs)) {
        delete thread;
        return nullptr;
    }
    thread->SetThreadPriority(nPriority);
    if (!(dwCreateFlags & CREATE_SUSPENDED)) thread->ResumeThread();
    return thread;
}
