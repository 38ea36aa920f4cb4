#pragma once
// A device context. One this object creates (CreateCompatibleDC) is deleted
// by its destructor; window DCs come from CWnd::GetDC and go back with
// CWnd::ReleaseDC.
#include "CBitmap.h"
#include "CBrush.h"
#include "CString.h"

class CDC : public CObject {
public:
    CDC();
    virtual ~CDC();

    HDC m_hDC;

    HDC GetSafeHdc() const { return m_hDC; }
    operator HDC() const { return m_hDC; }
    static CDC* FromHandle(HDC hDC); // temporary, released by the framework
    BOOL Attach(HDC hDC);
    HDC Detach();

    BOOL CreateCompatibleDC(CDC* pDC);
    BOOL DeleteDC();

    // The previously selected object as a temporary wrapper; null on failure.
    CBitmap* SelectObject(CBitmap* pBitmap);
    CBrush* SelectObject(CBrush* pBrush);
    CGdiObject* SelectObject(CGdiObject* pObject);
    CGdiObject* SelectStockObject(int nIndex);

    BOOL BitBlt(int x, int y, int nWidth, int nHeight, CDC* pSrcDC, int xSrc, int ySrc, DWORD dwRop);
    COLORREF SetBkColor(COLORREF crColor);
    COLORREF GetBkColor() const;
    int SetBkMode(int nBkMode);
    int GetBkMode() const;
    COLORREF SetTextColor(COLORREF crColor);
    COLORREF GetPixel(int x, int y) const;
    BOOL TextOut(int x, int y, const char* lpszString, int nCount);
    BOOL TextOut(int x, int y, const char* lpszString);
    BOOL TextOut(int x, int y, const CString& str);
    void FillRect(LPCRECT lpRect, CBrush* pBrush);
};
