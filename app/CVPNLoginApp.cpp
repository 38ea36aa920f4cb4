#include "CVPNLoginApp.h"

#include "CVPNLoginDlg.h"
#include "SupportLog.h"
#include "SystemLibrary.h"
#include "version.h"

namespace {
const char kInstanceMutexName[] = "Quillmarsh VPN";
// Exactly as the desks have always seen it: four blanks before the line break,
// no full stop.
const char kAlreadyRunningText[] =
    "Quillmarsh VPN is already running. Only one copy    \r\nof Quillmarsh VPN can run at a time";
const char kAlreadyRunningCaption[] = "Startup Error...";
const char kFrameworkRegistryKey[] = "Local AppWizard-Generated Applications";

// The common controls from the system folder, never from a file of that name
// beside the program. The library stays loaded for the life of the process.
void InitCommonControlsFromSystemFolder() {
    typedef void(WINAPI * InitCommonControlsProc)();
    HMODULE commonControls = LoadSystemLibrary("comctl32.dll");
    InitCommonControlsProc init = commonControls ? reinterpret_cast<InitCommonControlsProc>(reinterpret_cast<void*>(
                                                       GetProcAddress(commonControls, "InitCommonControls")))
                                                 : nullptr;
    if (init) init();
}

// The system as the help desk needs to know it: its version as this program is
// told it, and whether it runs as a 32-bit program on 64-bit Windows.
void LogStart() {
    OSVERSIONINFOA version;
    ZeroMemory(&version, sizeof version);
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionExA(&version);
    typedef BOOL(WINAPI * IsWow64ProcessProc)(HANDLE, PBOOL);
    IsWow64ProcessProc isWow64Process = reinterpret_cast<IsWow64ProcessProc>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "IsWow64Process")));
    BOOL wow64 = FALSE;
    if (isWow64Process) isWow64Process(GetCurrentProcess(), &wow64);
    SupportLog::Write("Quillmarsh VPN %s started, process id %lu, on Windows %lu.%lu build %lu%s%s (%s)",
                      QM_VERSION_TEXT, GetCurrentProcessId(), version.dwMajorVersion, version.dwMinorVersion,
                      version.dwBuildNumber, version.szCSDVersion[0] ? " " : "", version.szCSDVersion,
                      wow64 ? "32-bit program on 64-bit Windows" : "32-bit Windows");
}
} // namespace

CVPNLoginApp theApp;

BEGIN_MESSAGE_MAP(CVPNLoginApp, CWinApp)
    ON_COMMAND(ID_HELP, &CWinApp::OnHelp)
END_MESSAGE_MAP()

CVPNLoginApp::CVPNLoginApp() : CWinApp(nullptr) {}

CVPNLoginApp::~CVPNLoginApp() {}

BOOL CVPNLoginApp::InitInstance() {
    InitCommonControlsFromSystemFolder();
    SupportLog::Open();
    LogStart();

    // The handle stays open for the life of the process, also in a refused
    // copy: the system releases it when the process ends.
    CreateMutexA(nullptr, TRUE, kInstanceMutexName);
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        SupportLog::Write("Message box \"%s\": %s", kAlreadyRunningCaption, kAlreadyRunningText);
        MessageBoxA(nullptr, kAlreadyRunningText, kAlreadyRunningCaption, MB_OK);
        SupportLog::Write("Quillmarsh VPN ends: another copy is running");
        SupportLog::Close();
        return FALSE;
    }

    CWinApp::InitInstance();
    AfxEnableControlContainer();
    SetRegistryKey(kFrameworkRegistryKey);

    {
        CVPNLoginDlg dlg;
        m_pMainWnd = &dlg;
        dlg.DoModal();
    }
    // The dialog's destructor has waited for the attempt's end, hang-up included.
    SupportLog::Write("Quillmarsh VPN ends");
    SupportLog::Close();

    // No message loop follows: the framework takes its exit path.
    return FALSE;
}
