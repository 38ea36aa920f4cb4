#pragma once
// A window of the program, or a temporary stand-in for any window handle.
//
// Windows that a CWnd is attached to by SubclassWindow (dialogs, controls
// bound by data exchange) have their messages routed through the object's
// message map; what the map does not handle goes to the window's original
// procedure. Attach only records the handle. FromHandle of a handle that no
// object of this thread holds returns a temporary wrapper owned by the
// framework: one per handle and thread, released when its window is
// destroyed, when a framework message loop goes idle, or at thread end, so a
// caller never keeps it across messages.
#include "CCmdTarget.h"
#include "CString.h"

class CDC;
class CDataExchange;

class CWnd : public CCmdTarget {
public:
    CWnd();
    // A wrapper of a special handle value (wndTop and its kin); never attached.
    explicit CWnd(HWND hWnd);
    // Destroys the window if this object still holds it.
    virtual ~CWnd();

    HWND m_hWnd;

    // Insert-after values for SetWindowPos.
    static const CWnd wndTop;
    static const CWnd wndBottom;
    static const CWnd wndTopMost;
    static const CWnd wndNoTopMost;

    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }

    static CWnd* FromHandle(HWND hWnd);          // null for a null handle
    static CWnd* FromHandlePermanent(HWND hWnd); // the attached object, or null
    BOOL Attach(HWND hWndNew);
    HWND Detach();
    // Attaches and routes the window's messages through this object.
    BOOL SubclassWindow(HWND hWnd);
    BOOL SubclassDlgItem(UINT nID, CWnd* pParent);
    HWND UnsubclassWindow();

    CWnd* GetDlgItem(int nID) const;
    int GetDlgCtrlID() const;
    CWnd* GetParent() const;
    DWORD GetStyle() const;
    DWORD GetExStyle() const;

    BOOL ShowWindow(int nCmdShow);
    BOOL EnableWindow(BOOL bEnable = TRUE);
    BOOL IsWindowEnabled() const;
    BOOL IsWindowVisible() const;
    virtual BOOL DestroyWindow();

    void SetWindowText(const char* lpszString);
    int GetWindowText(char* lpszStringBuf, int nMaxCount) const;
    void GetWindowText(CString& rString) const;
    int GetWindowTextLength() const;

    void GetWindowRect(LPRECT lpRect) const;
    void GetClientRect(LPRECT lpRect) const;
    void ScreenToClient(LPPOINT lpPoint) const;
    void ScreenToClient(LPRECT lpRect) const;
    void ClientToScreen(LPPOINT lpPoint) const;
    void ClientToScreen(LPRECT lpRect) const;
    void MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint = TRUE);
    void MoveWindow(LPCRECT lpRect, BOOL bRepaint = TRUE);
    BOOL SetWindowPos(const CWnd* pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags);

    void Invalidate(BOOL bErase = TRUE);
    void InvalidateRect(LPCRECT lpRect, BOOL bErase = TRUE);
    void UpdateWindow();
    // The window's device context as a temporary CDC; give it back with ReleaseDC.
    CDC* GetDC();
    int ReleaseDC(CDC* pDC);

    UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse, TIMERPROC lpfnTimer);
    BOOL KillTimer(UINT_PTR nIDEvent);
    HICON SetIcon(HICON hIcon, BOOL bBigIcon);
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    CWnd* SetFocus();
    int MessageBox(const char* lpszText, const char* lpszCaption = nullptr, UINT nType = MB_OK);

    // Data exchange between the window's controls and the object's members.
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);
    virtual void DoDataExchange(CDataExchange* pDX);

    // Called by the framework's message loops before a message is translated
    // and dispatched; TRUE means the message has been handled and is dropped.
    virtual BOOL PreTranslateMessage(MSG* pMsg);

    // Message routing: WindowProc hands the message to OnWndMsg (the map) and
    // otherwise to DefWindowProc (the window's original procedure).
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Default processing of the message being handled right now.
    LRESULT Default();
    // Called after the window has been destroyed and detached.
    virtual void PostNcDestroy();

    // Default handlers for the map entries of derived classes.
    afx_msg void OnPaint();
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    afx_msg HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    afx_msg HCURSOR OnQueryDragIcon();
    afx_msg void OnTimer(UINT_PTR nIDEvent);

    DECLARE_MESSAGE_MAP()

    WNDPROC m_pfnSuper; // the window's procedure before SubclassWindow

private:
    friend LRESULT CALLBACK AfxWndProc(HWND, UINT, WPARAM, LPARAM);
    void OnNcDestroyed();
};

// The window procedure of every subclassed window.
LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
