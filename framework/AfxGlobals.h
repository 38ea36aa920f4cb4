#pragma once
// The framework's process-wide state: the application object, the module
// handles and the current thread's object.
#include "CWinApp.h"

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
