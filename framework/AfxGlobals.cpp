#include "AfxGlobals.h"

#include "AfxProcessState.h"
#include "AfxThreadState.h"

AfxProcessState& AfxGetProcessState() {
    // Zero-initialised before any constructor runs, so the application's
    // static constructor can register itself whatever the order of files.
    static AfxProcessState state;
    return state;
}

CWinApp* AFXAPI AfxGetApp() { return AfxGetProcessState().app; }

CWinThread* AFXAPI AfxGetThread() {
    AfxThreadState* state = AfxPeekThreadState();
    return state ? state->currentThread : nullptr;
}

CWnd* AFXAPI AfxGetMainWnd() {
    CWinThread* thread = AfxGetThread();
    return thread ? thread->m_pMainWnd : nullptr;
}

HINSTANCE AFXAPI AfxGetInstanceHandle() {
    HINSTANCE instance = AfxGetProcessState().instance;
    return instance ? instance : GetModuleHandleA(nullptr);
}

HINSTANCE AFXAPI AfxGetResourceHandle() {
    HINSTANCE resource = AfxGetProcessState().resource;
    return resource ? resource : AfxGetInstanceHandle();
}

void AFXAPI AfxSetResourceHandle(HINSTANCE hInstResource) {
    AfxGetProcessState().resource = hInstResource;
}

void AFXAPI AfxEnableControlContainer(COccManager*) {}
