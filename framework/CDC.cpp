#include "CDC.h"

#include "AfxThreadState.h"

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

BOOL CDC::CreateCompatibleDC(CDC* pDC) {
    return Attach(::CreateCompatibleDC(pDC ? pDC->m_hDC : nullptr));
}

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

BOOL CDC::TextOut(int x, int y, const CString& str) {
    return TextOut(x, y, str.GetString(), str.GetLength());
}

void CDC::FillRect(LPCRECT lpRect, CBrush* pBrush) {
    ::FillRect(m_hDC, lpRect, pBrush ? static_cast<HBRUSH>(pBrush->m_hObject) : nullptr);
}
