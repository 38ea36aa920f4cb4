#include "CredentialsDrop.h"

#include "LoginWorker.h"

#include <new>

namespace {
void ReleaseRequest(void* request) {
    if (request) g_loginSeams.deleteRequest(static_cast<LoginRequest*>(request));
}
} // namespace

CredentialsDrop::CredentialsDrop() : m_references(1), m_closed(0), m_pending(nullptr) {}

CredentialsDrop* CredentialsDrop::Create() { return new (std::nothrow) CredentialsDrop; }

void CredentialsDrop::AddRef() { InterlockedIncrement(&m_references); }

void CredentialsDrop::Release() {
    if (InterlockedDecrement(&m_references) != 0) return;
    ReleaseRequest(InterlockedExchangePointer(&m_pending, nullptr));
    delete this;
}

// Both sides write before they read the other's word, each with a full
// barrier: either Close sees what Put left, or Put sees that Close came, and
// the exchange lets exactly one of them have the record.
bool CredentialsDrop::Put(LoginRequest* credentials) {
    ReleaseRequest(InterlockedExchangePointer(&m_pending, credentials));
    if (InterlockedCompareExchange(&m_closed, 0, 0) == 0) return true;
    ReleaseRequest(InterlockedExchangePointer(&m_pending, nullptr));
    return false;
}

LoginRequest* CredentialsDrop::Take() {
    return static_cast<LoginRequest*>(InterlockedExchangePointer(&m_pending, nullptr));
}

void CredentialsDrop::Close() {
    InterlockedExchange(&m_closed, 1);
    ReleaseRequest(InterlockedExchangePointer(&m_pending, nullptr));
}
