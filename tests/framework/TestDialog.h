#pragma once
// A dialog whose reactions each test scripts. Tests post WM_FW_RUN to run
// code inside the modal loop and WM_FW_FINISH to end it with a result; a
// watchdog timer ends any run that a test failed to end.
#include <functional>
#include <vector>

#include "FrameworkTestIds.h"
#include "afxwin.h"

const UINT WM_FW_PING = WM_APP + 1;   // wParam recorded by OnPing
const UINT WM_FW_FINISH = WM_APP + 2; // EndDialog(wParam)
const UINT WM_FW_RUN = WM_APP + 3;    // runs onRun
const UINT WM_FW_THREAD = WM_APP + 4; // posted to the thread, never dispatched to a window

class TestDialog : public CDialog {
public:
    static const int kTimedOut = -77;
    static const UINT_PTR kWatchdogTimer = 77;

    explicit TestDialog(UINT nIDTemplate = IDD_FW_TEST, CWnd* pParent = nullptr);

    std::function<void(TestDialog&)> onInit;
    std::function<void(TestDialog&)> onRun;
    // Returns TRUE or FALSE to decide, -1 to leave the message to the base class.
    std::function<int(MSG&)> onPreTranslate;
    bool exchangeControls = true;
    bool exchangeMissingControl = false;

    std::vector<MSG> preTranslated;
    std::vector<WPARAM> pings;
    int okCalls = 0;
    int cancelCalls = 0;
    int nameChanges = 0;

    CEdit m_nameEdit;
    CString m_name;
    CString m_other;

    // Posts a script step to the dialog (from inside the loop).
    void Run(std::function<void(TestDialog&)> step);
    bool SawPreTranslated(HWND hWnd, UINT message, WPARAM wParam) const;

    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    void DoDataExchange(CDataExchange* pDX) override;

protected:
    afx_msg void OnTimer(UINT_PTR nIDEvent);
    afx_msg LRESULT OnPing(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnFinish(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnRunStep(WPARAM wParam, LPARAM lParam);
    afx_msg void OnNameChanged();

    DECLARE_MESSAGE_MAP()

private:
    std::vector<std::function<void(TestDialog&)>> m_steps;
};
