#pragma once
// The application: the one global object of this class (or a derived one)
// that AfxWinMain runs on the main thread.
#include "CWinThread.h"

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
