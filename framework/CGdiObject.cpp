#include "CGdiObject.h"

#include "AfxThreadState.h"
#include "CBitmap.h"
#include "CBrush.h"

namespace {
enum class Kind { Bitmap, Brush, Other };

Kind KindOf(DWORD type) {
    return type == OBJ_BITMAP ? Kind::Bitmap : type == OBJ_BRUSH ? Kind::Brush : Kind::Other;
}

Kind KindOf(CGdiObject* object) {
    if (dynamic_cast<CBitmap*>(object)) return Kind::Bitmap;
    if (dynamic_cast<CBrush*>(object)) return Kind::Brush;
    return Kind::Other;
}
} // namespace

CGdiObject::CGdiObject() : m_hObject(nullptr) {}

CGdiObject::~CGdiObject() { DeleteObject(); }

CGdiObject* CGdiObject::FromHandle(HGDIOBJ hObject) {
    if (!hObject) return nullptr;
    AfxThreadState& state = AfxGetThreadState();
    DWORD type = GetObjectType(hObject);
    auto it = state.tempGdiObjects.find(hObject);
    if (it != state.tempGdiObjects.end()) {
        // A handle value reused by an object of another kind needs a wrapper of that kind.
        if (KindOf(it->second) == KindOf(type)) return it->second;
        state.ReleaseTempGdiObject(hObject);
    }
    state.PurgeIfGrown();
    CGdiObject* temp;
    switch (type) {
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
    if (AfxThreadState* state = AfxPeekThreadState()) state->ReleaseTempGdiObject(hObject);
    return ::DeleteObject(hObject);
}

int CGdiObject::GetObject(int nCount, LPVOID lpObject) const {
    return m_hObject ? ::GetObjectA(m_hObject, nCount, lpObject) : 0;
}

BOOL CGdiObject::CreateStockObject(int nIndex) {
    // Stock objects are the system's; the destructor's DeleteObject ignores them.
    return Attach(::GetStockObject(nIndex));
}
