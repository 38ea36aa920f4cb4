#pragma once
// Calling conventions, handler markers and command numbers shared by the
// framework's classes and the code written against them.
#include <windows.h>

#ifndef AFX_CDECL
#define AFX_CDECL __cdecl
#endif
#ifndef AFXAPI
#define AFXAPI __stdcall
#endif
#ifndef PASCAL
#define PASCAL __stdcall
#endif
// Marks message handlers in class declarations; it expands to nothing.
#define afx_msg

// The notification code with which menu, accelerator and program commands
// (WM_COMMAND without a control window) are routed.
#define CN_COMMAND 0

// Standard commands of the framework.
#define ID_HELP 0xE146

// Kinds of control colour messages handed to OnCtlColor.
#ifndef CTLCOLOR_MSGBOX
#define CTLCOLOR_MSGBOX 0
#define CTLCOLOR_EDIT 1
#define CTLCOLOR_LISTBOX 2
#define CTLCOLOR_BTN 3
#define CTLCOLOR_DLG 4
#define CTLCOLOR_SCROLLBAR 5
#define CTLCOLOR_STATIC 6
#endif
// The one message number under which all seven WM_CTLCOLOR* messages appear
// in message maps.
#ifndef WM_CTLCOLOR
#define WM_CTLCOLOR 0x0019
#endif
