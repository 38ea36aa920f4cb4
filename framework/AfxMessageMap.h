#pragma once
// Message maps: each class that handles messages has an ordered table of
// entries chained to its base class's table. Lookups walk the most derived
// table first, each table in order, so a derived entry wins over a base entry
// for the same message and the base entry is reached when the derived class
// has none.
//
// Each entry holds a plain function that casts the target to the class that
// declared the map and calls the member handler with the arguments unpacked
// from the message, in the handler signatures the framework documents.
#include "AfxDefs.h"

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

#define DECLARE_MESSAGE_MAP()                              \
public:                                                    \
    static const AFX_MSGMAP* GetThisMessageMap();          \
    virtual const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                      \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
    const AFX_MSGMAP* theClass::GetThisMessageMap() {                                 \
        [[maybe_unused]] typedef theClass ThisClass;                                  \
        typedef baseClass TheBaseClass;                                               \
        static const AFX_MSGMAP_ENTRY _messageEntries[] = {

#define END_MESSAGE_MAP()                                                        \
            {0, 0, 0, 0, nullptr}                                                \
        };                                                                       \
        static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap,  \
                                              &_messageEntries[0]};              \
        return &messageMap;                                                      \
    }

// Window messages.

// void OnPaint()
#define ON_WM_PAINT()                                                          \
    {WM_PAINT, 0, 0, 0, [](CCmdTarget* t, UINT, WPARAM, LPARAM) -> LRESULT {   \
         void (ThisClass::*pfn)() = &ThisClass::OnPaint;                        \
         (static_cast<ThisClass*>(t)->*pfn)();                                  \
         return 0;                                                              \
     }},

// BOOL OnEraseBkgnd(CDC* pDC)
#define ON_WM_ERASEBKGND()                                                            \
    {WM_ERASEBKGND, 0, 0, 0, [](CCmdTarget* t, UINT, WPARAM w, LPARAM) -> LRESULT {   \
         BOOL (ThisClass::*pfn)(CDC*) = &ThisClass::OnEraseBkgnd;                      \
         CDC dc;                                                                       \
         dc.m_hDC = reinterpret_cast<HDC>(w);                                          \
         LRESULT r = (static_cast<ThisClass*>(t)->*pfn)(&dc);                          \
         dc.m_hDC = nullptr;                                                           \
         return r;                                                                     \
     }},

// HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor), for all seven
// WM_CTLCOLOR* messages; nCtlColor is the CTLCOLOR_* kind.
#define ON_WM_CTLCOLOR()                                                                   \
    {WM_CTLCOLOR, 0, 0, 0, [](CCmdTarget* t, UINT m, WPARAM w, LPARAM l) -> LRESULT {      \
         HBRUSH (ThisClass::*pfn)(CDC*, CWnd*, UINT) = &ThisClass::OnCtlColor;              \
         CDC dc;                                                                            \
         dc.m_hDC = reinterpret_cast<HDC>(w);                                               \
         HBRUSH r = (static_cast<ThisClass*>(t)->*pfn)(                                     \
             &dc, CWnd::FromHandle(reinterpret_cast<HWND>(l)), m - WM_CTLCOLORMSGBOX);      \
         dc.m_hDC = nullptr;                                                                \
         return reinterpret_cast<LRESULT>(r);                                               \
     }},

// HCURSOR OnQueryDragIcon()
#define ON_WM_QUERYDRAGICON()                                                          \
    {WM_QUERYDRAGICON, 0, 0, 0, [](CCmdTarget* t, UINT, WPARAM, LPARAM) -> LRESULT {   \
         HCURSOR (ThisClass::*pfn)() = &ThisClass::OnQueryDragIcon;                     \
         return reinterpret_cast<LRESULT>((static_cast<ThisClass*>(t)->*pfn)());        \
     }},

// void OnTimer(UINT_PTR nIDEvent)
#define ON_WM_TIMER()                                                            \
    {WM_TIMER, 0, 0, 0, [](CCmdTarget* t, UINT, WPARAM w, LPARAM) -> LRESULT {   \
         void (ThisClass::*pfn)(UINT_PTR) = &ThisClass::OnTimer;                  \
         (static_cast<ThisClass*>(t)->*pfn)(static_cast<UINT_PTR>(w));            \
         return 0;                                                                \
     }},

// LRESULT memberFxn(WPARAM, LPARAM), for any window message.
#define ON_MESSAGE(message, memberFxn)                                                 \
    {static_cast<UINT>(message), 0, 0, 0,                                              \
     [](CCmdTarget* t, UINT, WPARAM w, LPARAM l) -> LRESULT {                          \
         LRESULT (ThisClass::*pfn)(WPARAM, LPARAM) = memberFxn;                        \
         return (static_cast<ThisClass*>(t)->*pfn)(w, l);                              \
     }},

// Commands and control notifications: void memberFxn()

#define ON_CONTROL(wNotifyCode, id, memberFxn)                                         \
    {WM_COMMAND, static_cast<UINT>(wNotifyCode), static_cast<UINT>(id),                \
     static_cast<UINT>(id), [](CCmdTarget* t, UINT, WPARAM, LPARAM) -> LRESULT {       \
         void (ThisClass::*pfn)() = memberFxn;                                         \
         (static_cast<ThisClass*>(t)->*pfn)();                                         \
         return 0;                                                                     \
     }},

#define ON_COMMAND(id, memberFxn) ON_CONTROL(CN_COMMAND, id, memberFxn)
#define ON_BN_CLICKED(id, memberFxn) ON_CONTROL(BN_CLICKED, id, memberFxn)
#define ON_EN_CHANGE(id, memberFxn) ON_CONTROL(EN_CHANGE, id, memberFxn)
