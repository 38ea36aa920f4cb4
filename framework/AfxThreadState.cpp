#include "AfxThreadState.h"

#include "CDC.h"
#include "CGdiObject.h"
#include "CWnd.h"

namespace {
thread_local AfxThreadState t_state;
}

AfxThreadState& AfxGetThreadState() { return t_state; }

AfxThreadState::AfxThreadState()
    : lastSentMsg(), lockoutNotifyWindow(nullptr), currentThread(nullptr), loopDepth(0) {}

AfxThreadState::~AfxThreadState() { ReleaseTemporaries(); }

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
