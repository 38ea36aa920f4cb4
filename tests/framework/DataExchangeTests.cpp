// Data exchange between the dialog's controls and its members.
#include <gtest/gtest.h>

#include "TestDialog.h"

namespace {

CString ControlText(HWND dialog, int id) {
    char text[256] = "";
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return CString(text);
}

TEST(DataExchange, FirstExchangeWritesTheMembersAndSavingReadsTheControls) {
    TestDialog dlg;
    dlg.m_name = "Preset";
    dlg.m_other = "Other";
    CString shownName, shownOther, savedName;
    BOOL saved = FALSE;
    dlg.onInit = [&](TestDialog& d) {
        shownName = ControlText(d.m_hWnd, IDC_FW_NAME);
        shownOther = ControlText(d.m_hWnd, IDC_FW_OTHER);
        SetDlgItemTextA(d.m_hWnd, IDC_FW_NAME, "typed by the user");
        saved = d.UpdateData(TRUE);
        savedName = d.m_name;
        d.EndDialog(1);
    };
    ASSERT_EQ(dlg.DoModal(), 1);
    EXPECT_STREQ(shownName, "Preset");
    EXPECT_STREQ(shownOther, "Other");
    EXPECT_TRUE(saved);
    EXPECT_STREQ(savedName, "typed by the user");
}

TEST(DataExchange, LongTextsTravelWhole) {
    TestDialog dlg;
    CString longText('x', 3000);
    CString back;
    dlg.onInit = [&](TestDialog& d) {
        d.m_name = longText;
        d.UpdateData(FALSE);
        d.m_name.Empty();
        d.UpdateData(TRUE);
        back = d.m_name;
        d.EndDialog(1);
    };
    ASSERT_EQ(dlg.DoModal(), 1);
    EXPECT_EQ(back.GetLength(), 3000);
    EXPECT_TRUE(back == longText);
}

TEST(DataExchange, ControlIsBoundOnceAndReleasedWithTheWindow) {
    TestDialog dlg;
    CWnd* boundAtInit = nullptr;
    CWnd* boundLater = nullptr;
    WNDPROC superAtInit = nullptr, superLater = nullptr;
    dlg.onInit = [&](TestDialog& d) {
        HWND edit = ::GetDlgItem(d.m_hWnd, IDC_FW_NAME);
        boundAtInit = CWnd::FromHandle(edit);
        superAtInit = d.m_nameEdit.m_pfnSuper;
        d.UpdateData(TRUE);
        d.UpdateData(FALSE);
        boundLater = CWnd::FromHandlePermanent(edit);
        superLater = d.m_nameEdit.m_pfnSuper;
        d.EndDialog(1);
    };
    ASSERT_EQ(dlg.DoModal(), 1);
    EXPECT_EQ(boundAtInit, &dlg.m_nameEdit);
    EXPECT_EQ(boundLater, &dlg.m_nameEdit);
    // Bound a second time, the control's procedure would lead back to ours.
    EXPECT_NE(superAtInit, nullptr);
    EXPECT_NE(superAtInit, &AfxWndProc);
    EXPECT_EQ(superLater, superAtInit);
    EXPECT_EQ(dlg.m_nameEdit.m_hWnd, nullptr);

    // The same member binds to the next run's control.
    CWnd* boundAgain = nullptr;
    dlg.onInit = [&](TestDialog& d) {
        boundAgain = CWnd::FromHandlePermanent(::GetDlgItem(d.m_hWnd, IDC_FW_NAME));
        d.EndDialog(2);
    };
    ASSERT_EQ(dlg.DoModal(), 2);
    EXPECT_EQ(boundAgain, &dlg.m_nameEdit);
}

TEST(DataExchange, ChangeNotificationsCausedByTheExchangeAreNotDispatched) {
    TestDialog dlg;
    int afterLoad = -1, afterUnchanged = -1, afterUser = -1;
    dlg.onInit = [&](TestDialog& d) {
        int before = d.nameChanges;
        d.m_name = "written by the exchange";
        d.UpdateData(FALSE);
        afterLoad = d.nameChanges - before;
        d.UpdateData(FALSE); // the same text again: the control is left alone
        afterUnchanged = d.nameChanges - before;
        d.m_nameEdit.SetWindowText("written outside");
        afterUser = d.nameChanges - before;
        d.EndDialog(1);
    };
    ASSERT_EQ(dlg.DoModal(), 1);
    EXPECT_EQ(afterLoad, 0);
    EXPECT_EQ(afterUnchanged, 0);
    EXPECT_EQ(afterUser, 1);
}

TEST(DataExchange, MissingControlFailsTheExchange) {
    TestDialog dlg;
    BOOL result = TRUE;
    dlg.onInit = [&](TestDialog& d) {
        d.exchangeMissingControl = true;
        result = d.UpdateData(TRUE);
        d.exchangeMissingControl = false;
        d.EndDialog(1);
    };
    ASSERT_EQ(dlg.DoModal(), 1);
    EXPECT_FALSE(result);
}

TEST(EditControl, SelectionAndLimit) {
    TestDialog dlg;
    DWORD selection = 0;
    CString limited;
    dlg.onInit = [&](TestDialog& d) {
        d.m_nameEdit.SetWindowText("abcdef");
        d.m_nameEdit.SetSel(1, 3);
        selection = static_cast<DWORD>(d.m_nameEdit.SendMessage(EM_GETSEL));
        d.m_nameEdit.ReplaceSel("XY");
        d.m_nameEdit.LimitText(4);
        d.m_nameEdit.SetSel(0, -1);
        d.m_nameEdit.ReplaceSel("123456");
        d.m_nameEdit.GetWindowText(limited);
        d.EndDialog(1);
    };
    ASSERT_EQ(dlg.DoModal(), 1);
    EXPECT_EQ(LOWORD(selection), 1);
    EXPECT_EQ(HIWORD(selection), 3);
    EXPECT_STREQ(limited, "1234");
}

} // namespace
