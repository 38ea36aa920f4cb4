// The login dialog's template shown by the plain Win32 dialog manager, with no
// behaviour of its own: Login and Cancel end it with their identifiers, which
// become the exit code. The driver's own tests run against it, and it is the
// yardstick the real program is measured by.
//
// Built with QM_BASELINE_COMMON_CONTROLS it first initialises the common
// controls, as the program must: the benchmark uses that second yardstick to
// tell what the common-controls library costs at start-up from what the
// program's own code costs.
#include <windows.h>
#ifdef QM_BASELINE_COMMON_CONTROLS
#include <commctrl.h>
#endif

#include "resource.h"

namespace {

INT_PTR CALLBACK BaselineProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG: {
        HINSTANCE instance = GetModuleHandleA(nullptr);
        HANDLE big = LoadImageA(instance, MAKEINTRESOURCEA(IDI_LOGIN_ICON), IMAGE_ICON, 32, 32, LR_SHARED);
        HANDLE small = LoadImageA(instance, MAKEINTRESOURCEA(IDI_LOGIN_ICON), IMAGE_ICON, 16, 16, LR_SHARED);
        SendMessageA(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
        SendMessageA(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        }
        break;
    }
    return FALSE;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
#ifdef QM_BASELINE_COMMON_CONTROLS
    InitCommonControls();
#endif
    return static_cast<int>(DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_LOGIN_DIALOG), nullptr, BaselineProc, 0));
}
