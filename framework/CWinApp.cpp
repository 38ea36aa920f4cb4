#include "CWinApp.h"

#include <cstdlib>
#include <cstring>

#include "AfxThreadState.h"

// Process-wide framework state (internal): the application object and the
// module handles that AfxWinInit records.

class CWinApp;

struct AfxProcessState {
    CWinApp* app;
    HINSTANCE instance;
    HINSTANCE resource;
};

AfxProcessState& AfxGetProcessState();

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

void AFXAPI AfxSetResourceHandle(HINSTANCE hInstResource) { AfxGetProcessState().resource = hInstResource; }

void AFXAPI AfxEnableControlContainer(COccManager*) {}

namespace {
char* CopyText(const char* text) {
    size_t size = std::strlen(text) + 1;
    char* copy = static_cast<char*>(std::malloc(size));
    if (copy) std::memcpy(copy, text, size);
    return copy;
}

// "C:\dir\Program.exe" gives "Program".
char* ModuleBaseName() {
    char path[MAX_PATH] = "";
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) path[0] = 0;
    char* name = path;
    for (char* p = path; *p; ++p) {
        if (*p == '\\' || *p == '/' || *p == ':') name = p + 1;
    }
    if (char* dot = std::strrchr(name, '.')) *dot = 0;
    return CopyText(name);
}
} // namespace

BEGIN_MESSAGE_MAP(CWinApp, CWinThread)
END_MESSAGE_MAP()

CWinApp::CWinApp(const char* lpszAppName)
    : m_pszAppName(nullptr), m_pszExeName(nullptr), m_pszRegistryKey(nullptr), m_pszProfileName(nullptr),
      m_hInstance(nullptr), m_hPrevInstance(nullptr), m_lpCmdLine(nullptr), m_nCmdShow(SW_SHOWNORMAL) {
    m_pszExeName = ModuleBaseName();
    m_pszAppName = lpszAppName ? CopyText(lpszAppName) : CopyText(m_pszExeName ? m_pszExeName : "");
    AfxProcessState& process = AfxGetProcessState();
    if (!process.app) process.app = this;
}

CWinApp::~CWinApp() {
    AfxProcessState& process = AfxGetProcessState();
    if (process.app == this) process.app = nullptr;
    std::free(const_cast<char*>(m_pszAppName));
    std::free(const_cast<char*>(m_pszExeName));
    std::free(const_cast<char*>(m_pszRegistryKey));
    std::free(const_cast<char*>(m_pszProfileName));
    // The main thread's handle is a pseudo handle, never to be closed.
    m_hThread = nullptr;
}

BOOL CWinApp::InitInstance() { return TRUE; }

int CWinApp::Run() {
    if (!m_pMainWnd) PostQuitMessage(0);
    return CWinThread::Run();
}

int CWinApp::ExitInstance() { return static_cast<int>(m_msgCur.wParam); }

HICON CWinApp::LoadIcon(UINT nIDResource) const {
    return ::LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(nIDResource));
}

HICON CWinApp::LoadIcon(const char* lpszResourceName) const {
    return ::LoadIconA(AfxGetResourceHandle(), lpszResourceName);
}

void CWinApp::SetRegistryKey(const char* lpszRegistryKey) {
    std::free(const_cast<char*>(m_pszRegistryKey));
    std::free(const_cast<char*>(m_pszProfileName));
    m_pszRegistryKey = lpszRegistryKey ? CopyText(lpszRegistryKey) : nullptr;
    m_pszProfileName = m_pszAppName ? CopyText(m_pszAppName) : nullptr;
}

void CWinApp::OnHelp() {}

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
