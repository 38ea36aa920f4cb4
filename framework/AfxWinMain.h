#pragma once
#include "AfxGlobals.h"

// Records the instance and resource handles and the start-up values in the
// application object and makes it the main thread's object.
BOOL AFXAPI AfxWinInit(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow);
// The program's life: AfxWinInit, then InitInstance of the application. If
// it returns FALSE, ExitInstance (no message loop is ever run) and its
// result is returned; otherwise Run's result (the loop until WM_QUIT, then
// ExitInstance).
int AFXAPI AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow);
