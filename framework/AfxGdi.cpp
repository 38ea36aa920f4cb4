#include "AfxGdi.h"

#include "AfxThreadState.h"
#include "CWinApp.h"

namespace {
enum class Kind { Bitmap, Brush, Other };

Kind KindOf(DWORD type) { return type == OBJ_BITMAP ? Kind::Bitmap : type == OBJ_BRUSH ? Kind::Brush : Kind::Other; }

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
    case OBJ_BITMAP:
        temp = new CBitmap;
        break;
    case OBJ_BRUSH:
        temp = new CBrush;
        break;
    default:
        temp = new CGdiObject;
        break;
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

BOOL CBrush::CreateSolidBrush(COLORREF crColor) { return Attach(::CreateSolidBrush(crColor)); }

CBrush* CBrush::FromHandle(HBRUSH hBrush) { return static_cast<CBrush*>(CGdiObject::FromHandle(hBrush)); }

BOOL CBitmap::LoadBitmap(UINT nIDResource) {
    return Attach(::LoadBitmapA(AfxGetResourceHandle(), MAKEINTRESOURCEA(nIDResource)));
}

BOOL CBitmap::LoadBitmap(const char* lpszResourceName) {
    return Attach(::LoadBitmapA(AfxGetResourceHandle(), lpszResourceName));
}

BOOL CBitmap::CreateCompatibleBitmap(CDC* pDC, int nWidth, int nHeight) {
    return Attach(::CreateCompatibleBitmap(pDC ? pDC->m_hDC : nullptr, nWidth, nHeight));
}

int CBitmap::GetBitmap(BITMAP* pBitMap) const { return GetObject(sizeof(BITMAP), pBitMap); }

CBitmap* CBitmap::FromHandle(HBITMAP hBitmap) { return static_cast<CBitmap*>(CGdiObject::FromHandle(hBitmap)); }

CDC::CDC() : m_hDC(nullptr) {}

CDC::~CDC() { DeleteDC(); }

CDC* CDC::FromHandle(HDC hDC) {
    if (!hDC) return nullptr;
    AfxThreadState& state = AfxGetThreadState();
    auto it = state.tempDCs.find(hDC);
    if (it != state.tempDCs.end()) return it->second;
    state.PurgeIfGrown();
    CDC* temp = new CDC;
    temp->m_hDC = hDC;
    state.tempDCs.emplace(hDC, temp);
    return temp;
}

BOOL CDC::Attach(HDC hDC) {
    if (!hDC || m_hDC) return FALSE;
    m_hDC = hDC;
    return TRUE;
}

HDC CDC::Detach() {
    HDC hDC = m_hDC;
    m_hDC = nullptr;
    return hDC;
}

BOOL CDC::CreateCompatibleDC(CDC* pDC) { return Attach(::CreateCompatibleDC(pDC ? pDC->m_hDC : nullptr)); }

BOOL CDC::DeleteDC() {
    if (!m_hDC) return FALSE;
    HDC hDC = Detach();
    if (AfxThreadState* state = AfxPeekThreadState()) state->ReleaseTempDC(hDC);
    return ::DeleteDC(hDC);
}

CBitmap* CDC::SelectObject(CBitmap* pBitmap) {
    return static_cast<CBitmap*>(SelectObject(static_cast<CGdiObject*>(pBitmap)));
}

CBrush* CDC::SelectObject(CBrush* pBrush) {
    return static_cast<CBrush*>(SelectObject(static_cast<CGdiObject*>(pBrush)));
}

CGdiObject* CDC::SelectObject(CGdiObject* pObject) {
    if (!m_hDC || !pObject || !pObject->m_hObject) return nullptr;
    HGDIOBJ previous = ::SelectObject(m_hDC, pObject->m_hObject);
    if (!previous || previous == HGDI_ERROR) return nullptr;
    return CGdiObject::FromHandle(previous);
}

CGdiObject* CDC::SelectStockObject(int nIndex) {
    HGDIOBJ stock = ::GetStockObject(nIndex);
    if (!m_hDC || !stock) return nullptr;
    HGDIOBJ previous = ::SelectObject(m_hDC, stock);
    if (!previous || previous == HGDI_ERROR) return nullptr;
    return CGdiObject::FromHandle(previous);
}

BOOL CDC::BitBlt(int x, int y, int nWidth, int nHeight, CDC* pSrcDC, int xSrc, int ySrc, DWORD dwRop) {
    return ::BitBlt(m_hDC, x, y, nWidth, nHeight, pSrcDC ? pSrcDC->m_hDC : nullptr, xSrc, ySrc, dwRop);
}

COLORREF CDC::SetBkColor(COLORREF crColor) { return ::SetBkColor(m_hDC, crColor); }
COLORREF CDC::GetBkColor() const { return ::GetBkColor(m_hDC); }
int CDC::SetBkMode(int nBkMode) { return ::SetBkMode(m_hDC, nBkMode); }
int CDC::GetBkMode() const { return ::GetBkMode(m_hDC); }
COLORREF CDC::SetTextColor(COLORREF crColor) { return ::SetTextColor(m_hDC, crColor); }
COLORREF CDC::GetPixel(int x, int y) const { return ::GetPixel(m_hDC, x, y); }

BOOL CDC::TextOut(int x, int y, const char* lpszString, int nCount) {
    return ::TextOutA(m_hDC, x, y, lpszString, nCount);
}

BOOL CDC::TextOut(int x, int y, const char* lpszString) {
    return TextOut(x, y, lpszString, lpszString ? lstrlenA(lpszString) : 0);
}

BOOL CDC::TextOut(int x, int y, const CString& str) { return TextOut(x, y, str.GetString(), str.GetLength()); }

void CDC::FillRect(LPCRECT lpRect, CBrush* pBrush) {
    ::FillRect(m_hDC, lpRect, pBrush ? static_cast<HBRUSH>(pBrush->m_hObject) : nullptr);
}
