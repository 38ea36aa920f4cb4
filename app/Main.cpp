#include "afxwin.h"

#include "SystemLibrary.h"

// The runtime's own entry, which starts the runtime and calls WinMain.
extern "C" int WinMainCRTStartup();

// The exe's entry point (see CMakeLists.txt). Before anything else can load a
// library, the library search is restricted to the system folder; the loader
// has resolved only the exe's imports of known system DLLs by then. Runs before
// the runtime has started, so it calls only kernel32 and keeps no guard on its
// stack.
extern "C" __attribute__((no_stack_protector)) int QmProcessEntry() {
    RestrictDllSearchToSystemFolder();
    return WinMainCRTStartup();
}

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow) {
    return AfxWinMain(hInstance, hPrevInstance, lpCmdLine, nCmdShow);
}
