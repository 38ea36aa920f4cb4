#pragma once
// GDI objects (bitmaps, brushes) and device contexts.
#include "CString.h"
#include "CWnd.h"

// Owner of one GDI object: the destructor deletes it. FromHandle wraps a
// handle it does not own in a temporary object released by the framework.
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

class CBrush : public CGdiObject {
public:
    CBrush() = default;
    BOOL CreateSolidBrush(COLORREF crColor);
    operator HBRUSH() const { return static_cast<HBRUSH>(m_hObject); }
    static CBrush* FromHandle(HBRUSH hBrush);
};

class CDC;

class CBitmap : public CGdiObject {
public:
    CBitmap() = default;
    // From the resources of the resource module (AfxGetResourceHandle).
    BOOL LoadBitmap(UINT nIDResource);
    BOOL LoadBitmap(const char* lpszResourceName);
    BOOL CreateCompatibleBitmap(CDC* pDC, int nWidth, int nHeight);
    int GetBitmap(BITMAP* pBitMap) const;
    operator HBITMAP() const { return static_cast<HBITMAP>(m_hObject); }
    static CBitmap* FromHandle(HBITMAP hBitmap);
};

// A device context. One this object creates (CreateCompatibleDC) is deleted
// by its destructor; window DCs come from CWnd::GetDC and go back with
// CWnd::ReleaseDC.
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
