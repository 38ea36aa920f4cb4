#pragma once
// The user's name and password on their way from the dialog to a diagnostic
// worker. The post of WM_LOGIN_CREDENTIALS only wakes the worker: the record
// itself waits here, so that whichever side holds it last, the worker that
// took it or the sender after the worker stopped reading, frees and wipes it.
// The worker's queue, which the system empties unread when its thread ends,
// never owns a password.
#include <windows.h>

class LoginRequest;

class CredentialsDrop {
public:
    // With one reference, the creator's; null when memory is out.
    static CredentialsDrop* Create();
    void AddRef();
    void Release();

    // The sender leaves credentials for the worker (and any left before it are
    // released). False when the worker reads no more: they are released here.
    bool Put(LoginRequest* credentials);
    // The worker takes what was left, now its own; null when nothing was.
    LoginRequest* Take();
    // The worker reads no more: what is left now is released here, what is
    // left later by Put.
    void Close();

private:
    CredentialsDrop();
    ~CredentialsDrop() = default;
    CredentialsDrop(const CredentialsDrop&) = delete;
    CredentialsDrop& operator=(const CredentialsDrop&) = delete;

    volatile LONG m_references;
    volatile LONG m_closed;
    void* volatile m_pending;
};
