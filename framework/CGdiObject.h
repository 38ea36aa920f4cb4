#pragma once
// Owner of one GDI object: the destructor deletes it. FromHandle wraps a
// handle it does not own in a temporary object released by the framework.
#include "CObject.h"

class CGdiObject : public CObject {
public:
    CGdiObject();
    virtual ~CGdiObject();

    HGDIOBJ m_hObject;

    operator HGDIOBJ() const { return m_hObject; }
    HGDIOBJ GetSafeHandle() const { return m_hObject; }
    // A temporary of the handle's kind (CBitmap for bitmaps, CBrush for
    // brushes); null for a null handle.
    static CGdiObject* FromHandle(HGDIOBJ hObject);
    BOOL Attach(HGDIOBJ hObject);
    HGDIOBJ Detach();
    BOOL DeleteObject();
    int GetObject(int nCount, LPVOID lpObject) const;
    BOOL CreateStockObject(int nIndex);
};
