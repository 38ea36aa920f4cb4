#include "CGdiObject.h"

#include "AfxThreadState.h"
#include "CBitmap.h"
#include "CBrush.h"

CGdiObject::CGdiObject() : m_hObject(nullptr) {}

CGdiObject::~CGdiObject() { DeleteObject(); }

CGdiObject* CGdiObject::FromHandle(HGDIOBJ hObject) {
    if (!hObject) return nullptr;
    AfxThreadState& state = AfxGetThreadState();
    auto it = state.tempGdiObjects.find(hObject);
    if (it != state.tempGdiObjects.end()) return it->second;
    CGdiObject* temp;
    switch (GetObjectType(hObject)) {
    case OBJ_BITMAP: temp = new CBitmap; break;
    case OBJ_BRUSH: temp = new CBrush; break;
    default: temp = new CGdiObject; break;
    }
    temp->m_hObject = hObject;
    state.tempGdiObjects.emplace(hObject, temp);
    return temp;
}

BOOL CGdiObject::Attach(HGDIOBJ hObject) {
    if (!hObject || m_hObject) return FALSE;
    m_hObject = hObject;
    return TRUE;
}

HGDIOBJ CGdiObject::Detach() {
    HGDIOBJ hObject = m_hObject;
    m_hObject = nullptr;
    return hObject;
}

BOOL CGdiObject::DeleteObject() {
    if (!m_hObject) return FALSE;
    HGDIOBJ hObject = Detach();
    // A temporary of the handle would name a dead object from now on.
    AfxGetThreadState().ReleaseTempGdiObject(hObject);
    return ::DeleteObject(hObject);
}

int CGdiObject::GetObject(int nCount, LPVOID lpObject) const {
    return m_hObject ? ::GetObjectA(m_hObject, nCount, lpObject) : 0;
}

BOOL CGdiObject::CreateStockObject(int nIndex) {
    // Stock objects are the system's; the destructor's DeleteObject ignores them.
    return Attach(::GetStockObject(nIndex));
}
