#pragma once
#include "afxwin.h"
#include "resource.h"

#include "LoginMessages.h"
#include "TrayIcon.h"

// The program's only window: the login dialog, its colours, its reactions to
// the login worker's notifications and the F8 diagnostic strip.
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
    void ShowLinkInTray(LinkState state, const char* text);
    void ShowTrayMenu();
    afx_msg LRESULT OnTrayNotify(WPARAM, LPARAM mouseMessage);
    afx_msg void OnTrayShowStatus();
    afx_msg void OnTrayReconnect();
    afx_msg void OnTrayOpenLog();
    afx_msg LRESULT OnPowerBroadcast(WPARAM event, LPARAM);
    afx_msg LRESULT OnDpiChanged(WPARAM dpi, LPARAM suggestedRect);
    void LayOutForDpi(UINT dpi, const RECT* suggested);
    void ShowArtForDpi();
    void FitLabelsToText();
    int ClientWidthForBanner(int templateWidth) const;
    HWND BannerWindow() const;
    int LayoutShift() const;
    void OnDiagnosticKey();
    void StopAnimation();
    void DrawNextFrame();
    void RevealStatusArea(char* text);
    void AppendStatusText(const char* text);
    void MoveButtonsBy(int dy);

    CEdit m_userEdit;
    CEdit m_passwordEdit;
    CString m_userName;
    CString m_password;
    CBrush m_backgroundBrush;
    CBrush m_statusBrush;
    int m_frame;
    int m_frameStep;
    RECT m_windowRect;
    RECT m_loginRect;
    RECT m_cancelRect;
    HICON m_hIcon;
    // The display scale the dialog is laid out for, and what it holds for it:
    // the icons at the sizes of that scale, the banner's art and the font of
    // the controls once the window has moved to another scale.
    UINT m_dpi;
    HICON m_bigIcon;
    HICON m_smallIcon;
    CBitmap m_bannerArt;
    CGdiObject m_scaledFont;
    CWinThread* m_worker;
    CString m_configHost;
    int m_configPort;
    bool m_statusShown;
    // Set from Login until the attempt's final notification: F8 must not
    // start a second dial of the same entry beside a running attempt.
    bool m_attemptRunning;
    // The worker that watches the link while the client runs (0 before its
    // first report), and whether an outage brought the dialog back.
    DWORD m_linkWorker;
    bool m_shownForOutage;
    LinkState m_linkState;
    bool m_unrouted; // connected, but route commands failed
    CString m_linkText;
    TrayIcon m_tray;
    // Sent by Explorer when its notification area starts afresh.
    UINT m_taskbarCreated;
};
