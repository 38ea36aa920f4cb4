#pragma once
// Dialogs and the data exchange between their controls and members.
#include "CWnd.h"

// The context of one data exchange between a dialog's controls and members.
class CDataExchange {
public:
    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate);

    BOOL m_bSaveAndValidate; // TRUE: controls to members; FALSE: members to controls
    CWnd* m_pDlgWnd;
    BOOL m_bFailed; // set by Fail(); UpdateData then returns FALSE

    // The control's window, or null (and the exchange fails) when the dialog has none.
    HWND PrepareCtrl(int nIDC);
    void Fail();
};

// Binds rControl to the dialog's control nIDC the first time it runs; later
// exchanges leave the binding alone.
void AFXAPI DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);

// Saving: value = the control's text. Loading: the control's text = value,
// written only when it differs, so an unchanged control sends no change
// notification.
void AFXAPI DDX_Text(CDataExchange* pDX, int nIDC, CString& value);

// A modal dialog built from a dialog template resource by the system's
// dialog manager and run by the framework's own modal loop, so that every
// message of the thread passes PreTranslateMessage first.
class CDialog : public CWnd {
public:
    // pParentWnd null: the application's main window, if any, owns the dialog.
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    virtual ~CDialog();

    // Runs the dialog to its end and returns the EndDialog result; -1 when
    // the dialog cannot be created or the thread's WM_QUIT ended the loop
    // (the quit message is posted again for the outer loop).
    virtual INT_PTR DoModal();
    // Base: the first data exchange (UpdateData(FALSE)), then TRUE so that the
    // system puts the focus on the first tab stop.
    virtual BOOL OnInitDialog();
    // Base: UpdateData(TRUE), and when it succeeds EndDialog(IDOK).
    virtual void OnOK();
    // Base: EndDialog(IDCANCEL).
    virtual void OnCancel();
    void EndDialog(int nResult);
    // Base: keyboard and mouse messages for the dialog or its controls go to
    // IsDialogMessage (its result is returned); everything else is left alone.
    virtual BOOL PreTranslateMessage(MSG* pMsg) override;
    // Commands the dialog's map does not handle go to the thread's object
    // (the application), as the framework's command routing does.
    virtual BOOL OnCmdMsg(UINT nID, int nCode) override;

    // The dialog manager's own painting.
    afx_msg void OnPaint();

    DECLARE_MESSAGE_MAP()

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;

private:
    friend INT_PTR CALLBACK AfxDlgProc(HWND, UINT, WPARAM, LPARAM);
    BOOL RunModalLoop();

    BOOL m_bContinueModal;
    int m_nModalResult;
};

// The dialog procedure of framework dialogs: binds the object at
// WM_INITDIALOG; everything else is left to the dialog manager.
INT_PTR CALLBACK AfxDlgProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
