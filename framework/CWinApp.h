#pragma once
// The application object, the framework's process-wide state and the
// program's entry into the framework.
#include "CWinThread.h"

// The application: the one global object of this class (or a derived one)
// that AfxWinMain runs on the main thread.
class CWinApp : public CWinThread {
public:
    // Registers the object as the application (AfxGetApp). A null name is
    // replaced by the module's file name without folder and extension.
    explicit CWinApp(const char* lpszAppName = nullptr);
    virtual ~CWinApp();

    const char* m_pszAppName;
    const char* m_pszExeName;
    const char* m_pszRegistryKey; // null until SetRegistryKey
    const char* m_pszProfileName;
    HINSTANCE m_hInstance;
    HINSTANCE m_hPrevInstance;
    LPSTR m_lpCmdLine;
    int m_nCmdShow;

    virtual BOOL InitInstance();
    // Without a main window there is nothing to run: the loop ends at once.
    virtual int Run() override;
    virtual int ExitInstance();

    // From the resource module (AfxGetResourceHandle).
    HICON LoadIcon(UINT nIDResource) const;
    HICON LoadIcon(const char* lpszResourceName) const;
    // Records where the framework would keep the application's profile
    // (HKCU\Software\<key>\<application name>); nothing is written.
    void SetRegistryKey(const char* lpszRegistryKey);

    // The standard Help command (ID_HELP); the program ships no help file, so
    // the command has nothing to open.
    afx_msg void OnHelp();

    DECLARE_MESSAGE_MAP()
};

// The framework's process-wide state: the application object, the module
// handles and the current thread's object.

class COccManager;

CWinApp* AFXAPI AfxGetApp();
// The CWinThread running the calling thread (the application on the main
// thread once AfxWinInit has run), or null.
CWinThread* AFXAPI AfxGetThread();
// The current thread's main window, or null.
CWnd* AFXAPI AfxGetMainWnd();
// Both default to the exe's module until AfxWinInit sets them.
HINSTANCE AFXAPI AfxGetInstanceHandle();
HINSTANCE AFXAPI AfxGetResourceHandle();
void AFXAPI AfxSetResourceHandle(HINSTANCE hInstResource);
// The program hosts no embedded controls; kept for the start-up sequence.
void AFXAPI AfxEnableControlContainer(COccManager* pOccManager = nullptr);

// Records the instance and resource handles and the start-up values in the
// application object and makes it the main thread's object.
BOOL AFXAPI AfxWinInit(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow);
// The program's life: AfxWinInit, then InitInstance of the application. If
// it returns FALSE, ExitInstance (no message loop is ever run) and its
// result is returned; otherwise Run's result (the loop until WM_QUIT, then
// ExitInstance).
int AFXAPI AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow);
