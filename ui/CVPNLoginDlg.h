#pragma once
#include "afxwin.h"
#include "resource.h"

#include "DialogLayout.h"
#include "DialogLooks.h"
#include "DialogState.h"
#include "LinkTrayIcon.h"
#include "LoginMessages.h"
#include "ProgressStrip.h"

// The program's only window: the login dialog and everything it reacts to (all
// in its message map), Login, Cancel, F8 and the login worker's notifications.
// Its looks, layouts, strip and icon are units of their own.
class CVPNLoginDlg : public CDialog {
public:
    enum { IDD = IDD_LOGIN_DIALOG };

    explicit CVPNLoginDlg(CWnd* pParent = nullptr);
    virtual ~CVPNLoginDlg();

protected:
    virtual void DoDataExchange(CDataExchange* pDX);
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();

    BOOL OnEraseBkgnd(CDC* pDC);
    HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    HCURSOR OnQueryDragIcon();
    void OnTimer(UINT_PTR nIDEvent);
    void OnLoginClicked();
    void OnCredentialsChanged();

    DECLARE_MESSAGE_MAP()

private:
    // The worker's notifications, reached through the message map so that
    // any message loop that dispatches one, a message box's included, has it
    // acted on and its text freed.
    afx_msg LRESULT OnLoginHide(WPARAM, LPARAM);
    afx_msg LRESULT OnLoginFailed(WPARAM, LPARAM text);
    afx_msg LRESULT OnLoginFinished(WPARAM, LPARAM);
    afx_msg LRESULT OnLoginStatus(WPARAM, LPARAM text);
    afx_msg LRESULT OnLoginReady(WPARAM, LPARAM);
    afx_msg LRESULT OnLoginLink(WPARAM, LPARAM report);
    afx_msg LRESULT OnDestroy(WPARAM, LPARAM);
    void FreeUndeliveredNotifications();
    void ShowLinkText(const char* text);
    void ShowLinkInTray(const LinkReport& report);
    HICON TrayConnectedIcon() const;
    afx_msg LRESULT OnTrayNotify(WPARAM where, LPARAM event);
    afx_msg void OnTrayShowStatus();
    afx_msg void OnTrayReconnect();
    afx_msg void OnTrayOpenLog();
    afx_msg LRESULT OnPowerBroadcast(WPARAM event, LPARAM);
    afx_msg LRESULT OnDpiChanged(WPARAM dpi, LPARAM suggestedRect);
    void OnDiagnosticKey();
    void RevealStatusArea(char* text);
    void AppendStatusText(const char* text);
    void ShowWhatIsAllowed();
    void SetStatusText(const char* text);

    CEdit m_userEdit;
    CEdit m_passwordEdit;
    CString m_userName;
    CString m_password;
    DialogLooks m_looks;
    DialogLayout m_layout;
    ProgressStrip m_strip;
    HICON m_hIcon;
    // What the dialog allows and shows; every handler tells it what happened.
    DialogState m_state;
    // The diagnostic worker from F8 to its attempt's end, or null.
    CWinThread* m_worker;
    CString m_configHost;
    int m_configPort;
    // The worker that watches the link while the client runs (0 outside the
    // session), where the resume and "Reconnect now" go.
    DWORD m_linkWorker;
    LinkTrayIcon m_tray;
};
