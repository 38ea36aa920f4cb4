#pragma once
// Platform and heap calls of the login worker that tests replace, to produce
// failures the real system will not give on demand and to count what is made and
// released. Each defaults to the real call; only tests change them.
#include "LoginRequest.h"

#include <CWinThread.h>
#include <windows.h>

#include <cstddef>

struct LoginSeams {
    HANDLE(WINAPI* createEvent)(LPSECURITY_ATTRIBUTES, BOOL, BOOL, LPCSTR);
    CWinThread*(AFXAPI* beginThread)(AFX_THREADPROC, LPVOID, int, UINT, DWORD, LPSECURITY_ATTRIBUTES);
    // Requests (a worker's own and the credentials records); null when memory is out.
    LoginRequest* (*newRequest)();
    void (*deleteRequest)(LoginRequest*);
    // The heap buffers of the texts that travel to the dialog.
    void* (*allocText)(size_t);
    void (*freeText)(void*);
    HRESULT(WINAPI* getFolderPath)(HWND, int, HANDLE, DWORD, LPSTR);
    HANDLE(WINAPI* createWaitableTimer)(LPSECURITY_ATTRIBUTES, BOOL, LPCSTR);
    BOOL(WINAPI* setWaitableTimer)(HANDLE, const LARGE_INTEGER*, LONG, PTIMERAPCROUTINE, LPVOID, BOOL);
};

extern LoginSeams g_loginSeams;
