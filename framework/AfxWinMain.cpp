#include "AfxWinMain.h"

#include "AfxProcessState.h"
#include "AfxThreadState.h"
#include "CWnd.h"

BOOL AFXAPI AfxWinInit(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow) {
    AfxProcessState& process = AfxGetProcessState();
    process.instance = hInstance;
    process.resource = hInstance;
    if (CWinApp* app = process.app) {
        app->m_hInstance = hInstance;
        app->m_hPrevInstance = hPrevInstance;
        app->m_lpCmdLine = lpCmdLine;
        app->m_nCmdShow = nCmdShow;
        app->m_nThreadID = GetCurrentThreadId();
        app->m_hThread = GetCurrentThread();
        AfxGetThreadState().currentThread = app;
    }
    return TRUE;
}

int AFXAPI AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow) {
    CWinApp* app = AfxGetApp();
    if (!AfxWinInit(hInstance, hPrevInstance, lpCmdLine, nCmdShow) || !app) return -1;
    if (!app->InitInstance()) {
        if (app->m_pMainWnd) app->m_pMainWnd->DestroyWindow();
        return app->ExitInstance();
    }
    return app->Run();
}
