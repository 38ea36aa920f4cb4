#include "afxwin.h"

#include "StackGuard.h"
#include "SystemLibrary.h"

// The runtime's own entry, which starts the runtime and calls WinMain.
extern "C" int WinMainCRTStartup();

// The exe's entry point (see CMakeLists.txt). Before anything else can load a
// library, the library search is restricted to the system folder; the loader
// has resolved only the exe's imports of known system DLLs by then. Then the
// stack guards get their value, while no guarded function is on the stack.
// Runs before the runtime has started, so it calls only the system and keeps no
// guard on its own stack.
extern "C" __attribute__((no_stack_protector)) int QmProcessEntry() {
    RestrictDllSearchToSystemFolder();
    SeedStackGuard();
    return WinMainCRTStartup();
}

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow) {
    return AfxWinMain(hInstance, hPrevInstance, lpCmdLine, nCmdShow);
}
