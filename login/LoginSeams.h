#pragma once
// Platform calls of the login worker that tests replace to produce failures the
// real system will not give on demand. Each defaults to the real call; only tests
// change them.
#include <windows.h>

#include <cstddef>

struct LoginSeams {
    HRESULT(WINAPI* getFolderPath)(HWND, int, HANDLE, DWORD, LPSTR);
    HANDLE(WINAPI* createWaitableTimer)(LPSECURITY_ATTRIBUTES, BOOL, LPCSTR);
    BOOL(WINAPI* setWaitableTimer)(HANDLE, const LARGE_INTEGER*, LONG, PTIMERAPCROUTINE, LPVOID, BOOL);
    // The heap buffers of the texts that travel to the dialog.
    void* (*allocText)(size_t);
    void (*freeText)(void*);
};

extern LoginSeams g_loginSeams;
