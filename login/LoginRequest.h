#pragma once
// What a starter hands to a new login worker, and the payload of
// WM_LOGIN_CREDENTIALS. Owned by the worker once its thread runs; fields a mode
// does not use are never read.
#include <CString.h>
#include <windows.h>

class LoginRequest {
public:
    LoginRequest();
    ~LoginRequest();
    LoginRequest(const LoginRequest&) = delete;
    LoginRequest& operator=(const LoginRequest&) = delete;

    CString userName;
    CString password;
    HWND dialogWindow;
    bool diagnosticMode;
    HANDLE readyEvent; // the starter's; the worker only signals it
    CString configServerHost;
    unsigned short configServerPort;
};
