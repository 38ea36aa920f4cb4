#include "CWinApp.h"

#include <cstdlib>
#include <cstring>

#include "AfxGlobals.h"
#include "AfxProcessState.h"

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
    : m_pszAppName(nullptr), m_pszExeName(nullptr), m_pszRegistryKey(nullptr),
      m_pszProfileName(nullptr), m_hInstance(nullptr), m_hPrevInstance(nullptr),
      m_lpCmdLine(nullptr), m_nCmdShow(SW_SHOWNORMAL) {
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
