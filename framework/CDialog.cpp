#include "CDialog.h"

#include <cstring>

#include "AfxThreadState.h"
#include "CWinApp.h"

CDataExchange::CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate)
    : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd), m_bFailed(FALSE) {}

HWND CDataExchange::PrepareCtrl(int nIDC) {
    HWND hControl = m_pDlgWnd ? ::GetDlgItem(m_pDlgWnd->m_hWnd, nIDC) : nullptr;
    if (!hControl) Fail();
    return hControl;
}

void CDataExchange::Fail() { m_bFailed = TRUE; }

void AFXAPI DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl) {
    if (rControl.m_hWnd) return;
    HWND hControl = pDX->PrepareCtrl(nIDC);
    if (hControl && !rControl.SubclassWindow(hControl)) pDX->Fail();
}

void AFXAPI DDX_Text(CDataExchange* pDX, int nIDC, CString& value) {
    HWND hControl = pDX->PrepareCtrl(nIDC);
    if (!hControl) return;
    if (pDX->m_bSaveAndValidate) {
        int length = GetWindowTextLengthA(hControl);
        char* buffer = value.GetBufferSetLength(length);
        int copied = GetWindowTextA(hControl, buffer, length + 1);
        value.ReleaseBuffer(copied > 0 ? copied : 0);
        return;
    }
    // Rewriting an unchanged control would send a change notification and
    // move its caret for nothing.
    CString current;
    int length = GetWindowTextLengthA(hControl);
    int copied = GetWindowTextA(hControl, current.GetBufferSetLength(length), length + 1);
    current.ReleaseBuffer(copied > 0 ? copied : 0);
    if (current != value) SetWindowTextA(hControl, value);
}

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    // Through the virtuals, so that a derived OnOK or OnCancel is reached
    // when the derived map has no entry of its own for these commands.
    {WM_COMMAND, CN_COMMAND, IDOK, IDOK,
     [](CCmdTarget* t, UINT, WPARAM, LPARAM) -> LRESULT {
         static_cast<CDialog*>(t)->OnOK();
         return 0;
     }},
        {WM_COMMAND, CN_COMMAND, IDCANCEL, IDCANCEL, [](CCmdTarget* t, UINT, WPARAM, LPARAM) -> LRESULT {
             static_cast<CDialog*>(t)->OnCancel();
             return 0;
         }},
END_MESSAGE_MAP()

namespace {
HWND TopLevelOf(HWND hWnd) {
    while (hWnd && (GetWindowLongA(hWnd, GWL_STYLE) & WS_CHILD)) hWnd = GetParent(hWnd);
    return hWnd;
}

bool IsInputMessage(UINT message) {
    return (message >= WM_KEYFIRST && message <= WM_KEYLAST) ||
           (message >= WM_MOUSEFIRST && message <= 0x020E /* WM_MOUSEHWHEEL */);
}
} // namespace

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd), m_bContinueModal(FALSE), m_nModalResult(-1) {}

CDialog::~CDialog() = default;

INT_PTR CDialog::DoModal() {
    HINSTANCE hInst = AfxGetResourceHandle();
    HRSRC hResource = FindResourceA(hInst, MAKEINTRESOURCEA(m_nIDTemplate), MAKEINTRESOURCEA(5) /* RT_DIALOG */);
    HGLOBAL hTemplate = hResource ? LoadResource(hInst, hResource) : nullptr;
    const void* lpTemplate = hTemplate ? LockResource(hTemplate) : nullptr;
    if (!lpTemplate) return -1;

    HWND hOwner = TopLevelOf(m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr);
    if (!hOwner) {
        CWnd* mainWnd = AfxGetMainWnd();
        if (mainWnd && mainWnd != this) hOwner = TopLevelOf(mainWnd->m_hWnd);
    }
    bool enableOwner = false;
    if (hOwner && hOwner != GetDesktopWindow() && ::IsWindowEnabled(hOwner)) {
        ::EnableWindow(hOwner, FALSE);
        enableOwner = true;
    }

    m_nModalResult = -1;
    m_bContinueModal = TRUE;
    HWND hDlg = CreateDialogIndirectParamA(hInst, static_cast<LPCDLGTEMPLATEA>(lpTemplate), hOwner, &AfxDlgProc,
                                           reinterpret_cast<LPARAM>(this));
    if (!hDlg) {
        m_bContinueModal = FALSE;
        if (enableOwner) ::EnableWindow(hOwner, TRUE);
        return -1;
    }
    if (!m_hWnd) {
        // The object could not be bound to its window.
        ::DestroyWindow(hDlg);
        m_bContinueModal = FALSE;
        if (enableOwner) ::EnableWindow(hOwner, TRUE);
        return -1;
    }
    // EndDialog from OnInitDialog skips the loop altogether.
    if (m_bContinueModal) RunModalLoop();

    if (m_hWnd) {
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                       SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
    }
    if (enableOwner) ::EnableWindow(hOwner, TRUE);
    if (hOwner && ::GetActiveWindow() == hDlg) ::SetActiveWindow(hOwner);
    if (m_hWnd)
        DestroyWindow();
    else if (::IsWindow(hDlg))
        ::DestroyWindow(hDlg);
    return m_nModalResult;
}

BOOL CDialog::RunModalLoop() {
    AfxThreadState& state = AfxGetThreadState();
    ++state.loopDepth;
    // A template without WS_VISIBLE is shown once the queue first runs dry.
    bool showWhenIdle = m_hWnd && !(GetStyle() & WS_VISIBLE);
    MSG msg;
    // A handler that destroys the window ends the run as well.
    while (m_bContinueModal && m_hWnd) {
        if (!PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            if (showWhenIdle) {
                ShowWindow(SW_SHOWNORMAL);
                UpdateWindow();
                showWhenIdle = false;
            }
            AfxOnLoopIdle();
            if (!m_bContinueModal || !m_hWnd) break;
        }
        BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0) {
            // The outer loop must see the quit too.
            PostQuitMessage(static_cast<int>(msg.wParam));
            m_nModalResult = -1;
            m_bContinueModal = FALSE;
            break;
        }
        if (got == -1) {
            m_nModalResult = -1;
            m_bContinueModal = FALSE;
            break;
        }
        if (!PreTranslateMessage(&msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    --state.loopDepth;
    return TRUE;
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() {
    if (!UpdateData(TRUE)) return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::EndDialog(int nResult) {
    if (m_bContinueModal) {
        m_nModalResult = nResult;
        m_bContinueModal = FALSE;
        // Wakes a loop that waits in GetMessage while a sent message ended us.
        if (m_hWnd) ::PostMessageA(m_hWnd, WM_NULL, 0, 0);
    }
    if (m_hWnd) ::EndDialog(m_hWnd, nResult);
}

BOOL CDialog::PreTranslateMessage(MSG* pMsg) {
    if (!m_hWnd || !IsInputMessage(pMsg->message)) return FALSE;
    if (pMsg->hwnd != m_hWnd && !::IsChild(m_hWnd, pMsg->hwnd)) return FALSE;
    return ::IsDialogMessageA(m_hWnd, pMsg);
}

BOOL CDialog::OnCmdMsg(UINT nID, int nCode) {
    if (CWnd::OnCmdMsg(nID, nCode)) return TRUE;
    if (nCode != CN_COMMAND || nID >= 0xF000) return FALSE;
    CWinThread* thread = AfxGetThread();
    return thread ? thread->OnCmdMsg(nID, nCode) : FALSE;
}

void CDialog::OnPaint() { Default(); }

INT_PTR CALLBACK AfxDlgProc(HWND hWnd, UINT message, WPARAM, LPARAM lParam) {
    if (message != WM_INITDIALOG) return FALSE;
    CDialog* dialog = reinterpret_cast<CDialog*>(lParam);
    if (!dialog || !dialog->SubclassWindow(hWnd)) return TRUE;
    return dialog->OnInitDialog();
}
