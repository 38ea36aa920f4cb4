#pragma once
#include "CGdiObject.h"

class CBrush : public CGdiObject {
public:
    CBrush() = default;
    BOOL CreateSolidBrush(COLORREF crColor);
    operator HBRUSH() const { return static_cast<HBRUSH>(m_hObject); }
    static CBrush* FromHandle(HBRUSH hBrush);
};
