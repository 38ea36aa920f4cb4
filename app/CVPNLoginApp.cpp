#include "CVPNLoginApp.h"

#include <commctrl.h>

#include "CVPNLoginDlg.h"

namespace {
const char kInstanceMutexName[] = "Quillmarsh VPN";
// Exactly as the desks have always seen it: four blanks before the line break,
// no full stop.
const char kAlreadyRunningText[] =
    "Quillmarsh VPN is already running. Only one copy    \r\nof Quillmarsh VPN can run at a time";
const char kAlreadyRunningCaption[] = "Startup Error...";
const char kFrameworkRegistryKey[] = "Local AppWizard-Generated Applications";
}  // namespace

CVPNLoginApp theApp;

BEGIN_MESSAGE_MAP(CVPNLoginApp, CWinApp)
    ON_COMMAND(ID_HELP, &CWinApp::OnHelp)
END_MESSAGE_MAP()

CVPNLoginApp::CVPNLoginApp() : CWinApp(NULL) {}

CVPNLoginApp::~CVPNLoginApp() {}

BOOL CVPNLoginApp::InitInstance() {
    InitCommonControls();

    // The handle stays open for the life of the process, also in a refused
    // copy: the system releases it when the process ends.
    CreateMutexA(NULL, TRUE, kInstanceMutexName);
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        MessageBoxA(NULL, kAlreadyRunningText, kAlreadyRunningCaption, MB_OK);
        return FALSE;
    }

    CWinApp::InitInstance();
    AfxEnableControlContainer();
    SetRegistryKey(kFrameworkRegistryKey);

    CVPNLoginDlg dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();

    // No message loop follows: the framework takes its exit path.
    return FALSE;
}
