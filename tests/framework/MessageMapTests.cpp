// Message maps: table order, chaining to the base class, the handler
// signatures, and what falls through to the window's own procedure.
#include <gtest/gtest.h>

#include "AfxThreadState.h"
#include "TestDialog.h"

namespace {

const UINT WM_FW_A = WM_APP + 10;
const UINT WM_FW_B = WM_APP + 11;
const UINT WM_FW_C = WM_APP + 12;
const UINT ID_FW_COMMAND = 500;

HWND MakeStatic() {
    return CreateWindowA("STATIC", "initial", WS_POPUP, 0, 0, 50, 20, nullptr, nullptr, GetModuleHandleA(nullptr),
                         nullptr);
}

class BaseWnd : public CWnd {
public:
    int baseCommands = 0;
    int baseTimers = 0;

protected:
    afx_msg LRESULT OnA(WPARAM, LPARAM) { return 10; }
    afx_msg LRESULT OnB(WPARAM w, LPARAM l) { return 20 + static_cast<LRESULT>(w + l); }
    afx_msg void OnBaseCommand() { ++baseCommands; }
    afx_msg void OnTimer(UINT_PTR) { ++baseTimers; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(BaseWnd, CWnd)
    ON_MESSAGE(WM_FW_A, &BaseWnd::OnA)
    ON_MESSAGE(WM_FW_B, &BaseWnd::OnB)
    ON_COMMAND(ID_FW_COMMAND, &BaseWnd::OnBaseCommand)
    ON_WM_TIMER()
END_MESSAGE_MAP()

class DerivedWnd : public BaseWnd {
public:
    std::vector<UINT_PTR> timers;
    int clicks = 0;

protected:
    afx_msg LRESULT OnFirstA(WPARAM, LPARAM) { return 11; }
    afx_msg LRESULT OnSecondA(WPARAM, LPARAM) { return 12; }
    afx_msg void OnTimer(UINT_PTR nIDEvent) { timers.push_back(nIDEvent); }
    afx_msg void OnClicked() { ++clicks; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(DerivedWnd, BaseWnd)
    ON_MESSAGE(WM_FW_A, &DerivedWnd::OnFirstA)
    ON_MESSAGE(WM_FW_A, &DerivedWnd::OnSecondA)
    ON_WM_TIMER()
    ON_BN_CLICKED(ID_FW_COMMAND + 1, &DerivedWnd::OnClicked)
END_MESSAGE_MAP()

class MessageMap : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(wnd.SubclassWindow(MakeStatic())); }
    void TearDown() override { wnd.DestroyWindow(); }
    DerivedWnd wnd;
};

TEST_F(MessageMap, FirstEntryOfTheMostDerivedTableWins) { EXPECT_EQ(wnd.SendMessage(WM_FW_A), 11); }

TEST_F(MessageMap, BaseEntryIsReachedWhenTheDerivedTableHasNone) {
    EXPECT_EQ(wnd.SendMessage(WM_FW_B, 1, 2), 23);
    wnd.SendMessage(WM_COMMAND, ID_FW_COMMAND, 0);
    EXPECT_EQ(wnd.baseCommands, 1);
}

TEST_F(MessageMap, DerivedHandlerOfTheSameMessageHidesTheBaseOne) {
    wnd.SendMessage(WM_TIMER, 5);
    EXPECT_EQ(wnd.timers, std::vector<UINT_PTR>{5});
    EXPECT_EQ(wnd.baseTimers, 0);
}

TEST_F(MessageMap, CommandEntriesMatchTheNotificationCode) {
    HWND control = MakeStatic();
    // EN_CHANGE from control 501 matches no BN_CLICKED entry.
    wnd.SendMessage(WM_COMMAND, MAKEWPARAM(ID_FW_COMMAND + 1, EN_CHANGE), reinterpret_cast<LPARAM>(control));
    EXPECT_EQ(wnd.clicks, 0);
    wnd.SendMessage(WM_COMMAND, MAKEWPARAM(ID_FW_COMMAND + 1, BN_CLICKED), reinterpret_cast<LPARAM>(control));
    EXPECT_EQ(wnd.clicks, 1);
    // An accelerator (code 1, no control) is a command like a menu's.
    wnd.SendMessage(WM_COMMAND, MAKEWPARAM(ID_FW_COMMAND, 1), 0);
    EXPECT_EQ(wnd.baseCommands, 1);
    DestroyWindow(control);
}

TEST_F(MessageMap, UnhandledMessagesReachTheWindowsOwnProcedure) {
    wnd.SetWindowText("changed");
    CString text;
    wnd.GetWindowText(text);
    EXPECT_STREQ(text, "changed");
    EXPECT_EQ(wnd.SendMessage(WM_FW_C), 0);
}

TEST_F(MessageMap, DestroyedWindowIsDetachedFromItsObject) {
    HWND hWnd = wnd.m_hWnd;
    EXPECT_EQ(CWnd::FromHandlePermanent(hWnd), &wnd);
    EXPECT_EQ(CWnd::FromHandle(hWnd), &wnd);
    wnd.DestroyWindow();
    EXPECT_EQ(wnd.m_hWnd, nullptr);
    EXPECT_EQ(CWnd::FromHandlePermanent(hWnd), nullptr);
}

TEST(TemporaryWindows, OneWrapperPerHandleReleasedWithItsWindow) {
    AfxThreadState& state = AfxGetThreadState();
    HWND plain = MakeStatic();
    CWnd* first = CWnd::FromHandle(plain);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(CWnd::FromHandle(plain), first);
    EXPECT_EQ(first->m_hWnd, plain);
    EXPECT_EQ(state.tempWnds.count(plain), 1u);
    EXPECT_EQ(CWnd::FromHandle(nullptr), nullptr);

    // The destruction of a framework window sweeps the dead temporaries.
    DestroyWindow(plain);
    DerivedWnd wnd;
    ASSERT_TRUE(wnd.SubclassWindow(MakeStatic()));
    wnd.DestroyWindow();
    EXPECT_EQ(state.tempWnds.count(plain), 0u);
}

TEST(TemporaryWindows, ManyShortLivedWindowsLeaveABoundedMap) {
    AfxThreadState& state = AfxGetThreadState();
    for (int i = 0; i < 500; ++i) {
        HWND plain = MakeStatic();
        ASSERT_NE(CWnd::FromHandle(plain), nullptr);
        DestroyWindow(plain);
    }
    EXPECT_LT(state.tempWnds.size(), 64u);
}

// The dialog's painting handlers: colour brush and erasing.
class ColourDialog : public TestDialog {
public:
    std::vector<UINT> kinds;
    std::vector<int> controls;
    HBRUSH staticBrush = reinterpret_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    int erases = 0;

protected:
    afx_msg HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) {
        kinds.push_back(nCtlColor);
        controls.push_back(pWnd ? pWnd->GetDlgCtrlID() : -1);
        if (nCtlColor == CTLCOLOR_STATIC) {
            pDC->SetBkColor(RGB(1, 2, 3));
            return staticBrush;
        }
        return CDialog::OnCtlColor(pDC, pWnd, nCtlColor);
    }
    afx_msg BOOL OnEraseBkgnd(CDC* pDC) {
        ++erases;
        return pDC->m_hDC != nullptr;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(ColourDialog, TestDialog)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

TEST(DialogPainting, CtlColorBrushBecomesTheDialogsResult) {
    ColourDialog dlg;
    LRESULT staticResult = 0, editResult = 0;
    COLORREF background = 0;
    dlg.onInit = [&](TestDialog& d) {
        HDC hdc = GetDC(d.m_hWnd);
        HWND label = ::GetDlgItem(d.m_hWnd, IDC_FW_LABEL);
        HWND edit = ::GetDlgItem(d.m_hWnd, IDC_FW_NAME);
        staticResult = d.SendMessage(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(hdc), reinterpret_cast<LPARAM>(label));
        background = GetBkColor(hdc);
        editResult = d.SendMessage(WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(hdc), reinterpret_cast<LPARAM>(edit));
        ReleaseDC(d.m_hWnd, hdc);
        d.PostMessage(WM_FW_FINISH, 1);
    };
    ASSERT_EQ(dlg.DoModal(), 1);
    EXPECT_EQ(staticResult, reinterpret_cast<LRESULT>(dlg.staticBrush));
    EXPECT_EQ(background, RGB(1, 2, 3));
    // The base handler gives the system's own brush for the edit.
    EXPECT_NE(editResult, 0);
    EXPECT_NE(editResult, staticResult);
    ASSERT_GE(dlg.kinds.size(), 2u);
    // Painting may have asked before; the last two are ours.
    size_t n = dlg.kinds.size();
    EXPECT_EQ(dlg.kinds[n - 2], static_cast<UINT>(CTLCOLOR_STATIC));
    EXPECT_EQ(dlg.controls[n - 2], IDC_FW_LABEL);
    EXPECT_EQ(dlg.kinds[n - 1], static_cast<UINT>(CTLCOLOR_EDIT));
    EXPECT_EQ(dlg.controls[n - 1], IDC_FW_NAME);
}

TEST(DialogPainting, EraseHandlerResultAndDefaultPaintingReachTheSystem) {
    ColourDialog dlg;
    LRESULT erased = 0;
    BOOL stillInvalid = TRUE;
    dlg.onInit = [&](TestDialog& d) {
        d.Run([&](TestDialog& r) {
            HDC hdc = GetDC(r.m_hWnd);
            erased = r.SendMessage(WM_ERASEBKGND, reinterpret_cast<WPARAM>(hdc));
            ReleaseDC(r.m_hWnd, hdc);
            // CDialog::OnPaint validates the window like the system's painting.
            r.Invalidate(FALSE);
            r.UpdateWindow();
            stillInvalid = GetUpdateRect(r.m_hWnd, nullptr, FALSE);
            r.EndDialog(1);
        });
    };
    ASSERT_EQ(dlg.DoModal(), 1);
    EXPECT_EQ(erased, TRUE);
    EXPECT_GE(dlg.erases, 1);
    EXPECT_FALSE(stillInvalid);
}

} // namespace
