#include "AfxThreadState.h"

#include "AfxGdi.h"
#include "CWnd.h"

namespace {
const size_t kMinPurge = 32;

// A plain TLS slot rather than a thread_local object: with this
// toolchain's emulated TLS, a thread_local with a destructor corrupted the
// heap when a second worker thread ended.
DWORD StateSlot() {
    static const DWORD slot = TlsAlloc();
    return slot;
}

void NTAPI ReleaseStateAtThreadEnd(PVOID, DWORD reason, PVOID) {
    if (reason != DLL_THREAD_DETACH) return;
    DWORD slot = StateSlot();
    if (slot == TLS_OUT_OF_INDEXES) return;
    AfxThreadState* state = static_cast<AfxThreadState*>(TlsGetValue(slot));
    if (!state) return;
    TlsSetValue(slot, nullptr);
    delete state;
}
} // namespace

// Called by the loader for every thread that ends, whoever started it.
extern "C" __attribute__((section(".CRT$XLF"), used)) const PIMAGE_TLS_CALLBACK qm_afx_thread_end =
    ReleaseStateAtThreadEnd;

namespace {

size_t NextPurge(size_t size) { return size * 2 > kMinPurge ? size * 2 : kMinPurge; }
} // namespace

AfxThreadState& AfxGetThreadState() {
    DWORD slot = StateSlot();
    AfxThreadState* state = static_cast<AfxThreadState*>(TlsGetValue(slot));
    if (!state) {
        state = new AfxThreadState;
        TlsSetValue(slot, state);
    }
    return *state;
}

AfxThreadState* AfxPeekThreadState() {
    DWORD slot = StateSlot();
    return slot == TLS_OUT_OF_INDEXES ? nullptr : static_cast<AfxThreadState*>(TlsGetValue(slot));
}

AfxThreadState::AfxThreadState()
    : lastSentMsg(), lockoutNotifyWindow(nullptr), currentThread(nullptr), loopDepth(0), nextWndPurge(kMinPurge),
      nextDCPurge(kMinPurge), nextGdiPurge(kMinPurge) {
    InterlockedIncrement(&liveCount);
}

volatile LONG AfxThreadState::liveCount = 0;

AfxThreadState::~AfxThreadState() {
    ReleaseTemporaries();
    InterlockedDecrement(&liveCount);
}

// Temporaries never own their handle: it is taken away before the object goes.
void AfxThreadState::ReleaseTemporaries() {
    auto wnds = std::move(tempWnds);
    tempWnds.clear();
    for (auto& entry : wnds) {
        entry.second->m_hWnd = nullptr;
        delete entry.second;
    }
    auto dcs = std::move(tempDCs);
    tempDCs.clear();
    for (auto& entry : dcs) {
        entry.second->m_hDC = nullptr;
        delete entry.second;
    }
    auto objects = std::move(tempGdiObjects);
    tempGdiObjects.clear();
    for (auto& entry : objects) {
        entry.second->m_hObject = nullptr;
        delete entry.second;
    }
}

void AfxThreadState::ReleaseDeadWindowTemporaries() {
    for (auto it = tempWnds.begin(); it != tempWnds.end();) {
        if (IsWindow(it->first)) {
            ++it;
            continue;
        }
        CWnd* wnd = it->second;
        it = tempWnds.erase(it);
        wnd->m_hWnd = nullptr;
        delete wnd;
    }
}

void AfxThreadState::PurgeIfGrown() {
    if (tempWnds.size() >= nextWndPurge) {
        ReleaseDeadWindowTemporaries();
        nextWndPurge = NextPurge(tempWnds.size());
    }
    if (tempDCs.size() >= nextDCPurge) {
        for (auto it = tempDCs.begin(); it != tempDCs.end();) {
            if (GetObjectType(it->first) != 0) {
                ++it;
                continue;
            }
            CDC* dc = it->second;
            it = tempDCs.erase(it);
            dc->m_hDC = nullptr;
            delete dc;
        }
        nextDCPurge = NextPurge(tempDCs.size());
    }
    if (tempGdiObjects.size() >= nextGdiPurge) {
        for (auto it = tempGdiObjects.begin(); it != tempGdiObjects.end();) {
            if (GetObjectType(it->first) != 0) {
                ++it;
                continue;
            }
            CGdiObject* object = it->second;
            it = tempGdiObjects.erase(it);
            object->m_hObject = nullptr;
            delete object;
        }
        nextGdiPurge = NextPurge(tempGdiObjects.size());
    }
}

void AfxThreadState::ReleaseTempDC(HDC hDC) {
    auto it = tempDCs.find(hDC);
    if (it == tempDCs.end()) return;
    CDC* dc = it->second;
    tempDCs.erase(it);
    dc->m_hDC = nullptr;
    delete dc;
}

void AfxThreadState::ReleaseTempGdiObject(HGDIOBJ hObject) {
    auto it = tempGdiObjects.find(hObject);
    if (it == tempGdiObjects.end()) return;
    CGdiObject* object = it->second;
    tempGdiObjects.erase(it);
    object->m_hObject = nullptr;
    delete object;
}

void AfxOnLoopIdle() {
    AfxThreadState& state = AfxGetThreadState();
    // A nested loop runs inside some handler that may still use its temporaries.
    if (state.loopDepth <= 1) state.ReleaseTemporaries();
}
