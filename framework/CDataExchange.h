#pragma once
// The context of one data exchange between a dialog's controls and members.
#include "CWnd.h"

class CDataExchange {
public:
    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate);

    BOOL m_bSaveAndValidate; // TRUE: controls to members; FALSE: members to controls
    CWnd* m_pDlgWnd;
    BOOL m_bFailed;          // set by Fail(); UpdateData then returns FALSE

    // The control's window, or null (and the exchange fails) when the dialog has none.
    HWND PrepareCtrl(int nIDC);
    void Fail();
};
