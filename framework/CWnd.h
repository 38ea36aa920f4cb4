#pragma once
// Windows and the routing of their messages: the root of the framework's
// class tree, message maps, command targets, CWnd and the edit control.
#include "AfxDefs.h"
#include "CString.h"

// Root of the framework's class tree: gives every object a virtual destructor.
class CObject {
public:
    CObject() = default;
    virtual ~CObject();
    CObject(const CObject&) = delete;
    CObject& operator=(const CObject&) = delete;
};

// Message maps: each class that handles messages has an ordered table of
// entries chained to its base class's table. Lookups walk the most derived
// table first, each table in order, so a derived entry wins over a base entry
// for the same message and the base entry is reached when the derived class
// has none.
//
// Each entry holds a plain function that casts the target to the class that
// declared the map and calls the member handler with the arguments unpacked
// from the message, in the handler signatures the framework documents.

class CCmdTarget;

// Calls one handler. nMsg is the message as it arrived (for WM_CTLCOLOR
// entries one of WM_CTLCOLORMSGBOX..WM_CTLCOLORSTATIC); the result is the
// window procedure's result for window messages and ignored for commands.
typedef LRESULT (*AFX_PMSG)(CCmdTarget* pTarget, UINT nMsg, WPARAM wParam, LPARAM lParam);

struct AFX_MSGMAP_ENTRY {
    UINT nMessage; // window message, or WM_COMMAND for command and notification entries
    UINT nCode;    // notification code (CN_COMMAND, BN_CLICKED, EN_CHANGE...), 0 for window messages
    UINT nID;      // first control or command identifier, 0 for window messages
    UINT nLastID;  // last identifier of the range
    AFX_PMSG pfn;  // null only in the table's terminating entry
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)(); // null for the root of the chain
    const AFX_MSGMAP_ENTRY* lpEntries;
};

#define DECLARE_MESSAGE_MAP()                     \
public:                                           \
    static const AFX_MSGMAP* GetThisMessageMap(); \
    virtual const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                        \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
    const AFX_MSGMAP* theClass::GetThisMessageMap() {                                 \
        [[maybe_unused]] typedef theClass ThisClass;                                  \
        typedef baseClass TheBaseClass;                                               \
        static const AFX_MSGMAP_ENTRY _messageEntries[] = {

#define END_MESSAGE_MAP()                                                                         \
    { 0, 0, 0, 0, nullptr }                                                                       \
    }                                                                                             \
    ;                                                                                             \
    static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, &_messageEntries[0]}; \
    return &messageMap;                                                                           \
    }

// Window messages.

// void OnPaint()
#define ON_WM_PAINT()                                                        \
    {WM_PAINT, 0, 0, 0, [](CCmdTarget* t, UINT, WPARAM, LPARAM) -> LRESULT { \
         void (ThisClass::*pfn)() = &ThisClass::OnPaint;                     \
         (static_cast<ThisClass*>(t)->*pfn)();                               \
         return 0;                                                           \
     }},

// BOOL OnEraseBkgnd(CDC* pDC)
#define ON_WM_ERASEBKGND()                                                          \
    {WM_ERASEBKGND, 0, 0, 0, [](CCmdTarget* t, UINT, WPARAM w, LPARAM) -> LRESULT { \
         BOOL (ThisClass::*pfn)(CDC*) = &ThisClass::OnEraseBkgnd;                   \
         CDC dc;                                                                    \
         dc.m_hDC = reinterpret_cast<HDC>(w);                                       \
         LRESULT r = (static_cast<ThisClass*>(t)->*pfn)(&dc);                       \
         dc.m_hDC = nullptr;                                                        \
         return r;                                                                  \
     }},

// HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor), for all seven
// WM_CTLCOLOR* messages; nCtlColor is the CTLCOLOR_* kind.
#define ON_WM_CTLCOLOR()                                                                                 \
    {WM_CTLCOLOR, 0, 0, 0, [](CCmdTarget* t, UINT m, WPARAM w, LPARAM l) -> LRESULT {                    \
         HBRUSH (ThisClass::*pfn)(CDC*, CWnd*, UINT) = &ThisClass::OnCtlColor;                           \
         CDC dc;                                                                                         \
         dc.m_hDC = reinterpret_cast<HDC>(w);                                                            \
         HBRUSH r = (static_cast<ThisClass*>(t)->*pfn)(&dc, CWnd::FromHandle(reinterpret_cast<HWND>(l)), \
                                                       m - WM_CTLCOLORMSGBOX);                           \
         dc.m_hDC = nullptr;                                                                             \
         return reinterpret_cast<LRESULT>(r);                                                            \
     }},

// HCURSOR OnQueryDragIcon()
#define ON_WM_QUERYDRAGICON()                                                        \
    {WM_QUERYDRAGICON, 0, 0, 0, [](CCmdTarget* t, UINT, WPARAM, LPARAM) -> LRESULT { \
         HCURSOR (ThisClass::*pfn)() = &ThisClass::OnQueryDragIcon;                  \
         return reinterpret_cast<LRESULT>((static_cast<ThisClass*>(t)->*pfn)());     \
     }},

// void OnTimer(UINT_PTR nIDEvent)
#define ON_WM_TIMER()                                                          \
    {WM_TIMER, 0, 0, 0, [](CCmdTarget* t, UINT, WPARAM w, LPARAM) -> LRESULT { \
         void (ThisClass::*pfn)(UINT_PTR) = &ThisClass::OnTimer;               \
         (static_cast<ThisClass*>(t)->*pfn)(static_cast<UINT_PTR>(w));         \
         return 0;                                                             \
     }},

// LRESULT memberFxn(WPARAM, LPARAM), for any window message.
#define ON_MESSAGE(message, memberFxn)                                                             \
    {static_cast<UINT>(message), 0, 0, 0, [](CCmdTarget* t, UINT, WPARAM w, LPARAM l) -> LRESULT { \
         LRESULT (ThisClass::*pfn)(WPARAM, LPARAM) = memberFxn;                                    \
         return (static_cast<ThisClass*>(t)->*pfn)(w, l);                                          \
     }},

// Commands and control notifications: void memberFxn()

#define ON_CONTROL(wNotifyCode, id, memberFxn)                                                 \
    {WM_COMMAND, static_cast<UINT>(wNotifyCode), static_cast<UINT>(id), static_cast<UINT>(id), \
     [](CCmdTarget* t, UINT, WPARAM, LPARAM) -> LRESULT {                                      \
         void (ThisClass::*pfn)() = memberFxn;                                                 \
         (static_cast<ThisClass*>(t)->*pfn)();                                                 \
         return 0;                                                                             \
     }},

#define ON_COMMAND(id, memberFxn) ON_CONTROL(CN_COMMAND, id, memberFxn)
#define ON_BN_CLICKED(id, memberFxn) ON_CONTROL(BN_CLICKED, id, memberFxn)
#define ON_EN_CHANGE(id, memberFxn) ON_CONTROL(EN_CHANGE, id, memberFxn)

// Base of every class with a message map: owns the root of the map chain and
// the routing of commands through it.
class CCmdTarget : public CObject {
public:
    CCmdTarget() = default;

    // Runs the first handler of the map chain for this command or control
    // notification (nCode CN_COMMAND for commands); FALSE when none matches.
    virtual BOOL OnCmdMsg(UINT nID, int nCode);

    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;
};

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

// An edit control of a dialog template.
class CEdit : public CWnd {
public:
    CEdit() = default;
    void SetSel(int nStartChar, int nEndChar, BOOL bNoScroll = FALSE);
    void ReplaceSel(const char* lpszNewText, BOOL bCanUndo = FALSE);
    void LimitText(int nChars = 0);
    BOOL SetReadOnly(BOOL bReadOnly = TRUE);
};
