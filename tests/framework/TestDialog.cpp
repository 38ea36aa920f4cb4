#include "TestDialog.h"

BEGIN_MESSAGE_MAP(TestDialog, CDialog)
    ON_WM_TIMER()
    ON_MESSAGE(WM_FW_PING, &TestDialog::OnPing)
    ON_MESSAGE(WM_FW_FINISH, &TestDialog::OnFinish)
    ON_MESSAGE(WM_FW_RUN, &TestDialog::OnRunStep)
    ON_EN_CHANGE(IDC_FW_NAME, &TestDialog::OnNameChanged)
END_MESSAGE_MAP()

TestDialog::TestDialog(UINT nIDTemplate, CWnd* pParent) : CDialog(nIDTemplate, pParent) {}

void TestDialog::Run(std::function<void(TestDialog&)> step) {
    m_steps.push_back(std::move(step));
    PostMessage(WM_FW_RUN, m_steps.size() - 1);
}

bool TestDialog::SawPreTranslated(HWND hWnd, UINT message, WPARAM wParam) const {
    for (const MSG& msg : preTranslated) {
        if (msg.hwnd == hWnd && msg.message == message && msg.wParam == wParam) return true;
    }
    return false;
}

BOOL TestDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    SetTimer(kWatchdogTimer, 10000, nullptr);
    if (onInit) onInit(*this);
    return TRUE;
}

void TestDialog::OnOK() {
    ++okCalls;
    CDialog::OnOK();
}

void TestDialog::OnCancel() {
    ++cancelCalls;
    CDialog::OnCancel();
}

BOOL TestDialog::PreTranslateMessage(MSG* pMsg) {
    preTranslated.push_back(*pMsg);
    if (onPreTranslate) {
        int decided = onPreTranslate(*pMsg);
        if (decided >= 0) return decided;
    }
    return CDialog::PreTranslateMessage(pMsg);
}

void TestDialog::DoDataExchange(CDataExchange* pDX) {
    if (!exchangeControls) return;
    DDX_Control(pDX, IDC_FW_NAME, m_nameEdit);
    DDX_Text(pDX, IDC_FW_NAME, m_name);
    DDX_Text(pDX, IDC_FW_OTHER, m_other);
    if (exchangeMissingControl) DDX_Text(pDX, IDD_FW_MISSING, m_other);
}

void TestDialog::OnTimer(UINT_PTR nIDEvent) {
    if (nIDEvent == kWatchdogTimer) EndDialog(kTimedOut);
}

LRESULT TestDialog::OnPing(WPARAM wParam, LPARAM) {
    pings.push_back(wParam);
    return 0;
}

LRESULT TestDialog::OnFinish(WPARAM wParam, LPARAM) {
    EndDialog(static_cast<int>(wParam));
    return 0;
}

LRESULT TestDialog::OnRunStep(WPARAM wParam, LPARAM) {
    if (wParam < m_steps.size() && m_steps[wParam]) m_steps[wParam](*this);
    return 0;
}

void TestDialog::OnNameChanged() { ++nameChanges; }
