// The dialog's own modal loop: what reaches PreTranslateMessage, what is
// dispatched, and how a run ends.
#include <gtest/gtest.h>

#include "TestDialog.h"

namespace {

TEST(ModalLoop, EveryMessageOfTheThreadPassesPreTranslateAndAConsumedOneIsNotDispatched) {
    TestDialog dlg;
    dlg.onPreTranslate = [](MSG& msg) { return msg.message == WM_FW_PING && msg.wParam == 3 ? TRUE : -1; };
    dlg.onInit = [](TestDialog& d) {
        PostThreadMessageA(GetCurrentThreadId(), WM_FW_THREAD, 1, 0);
        d.PostMessage(WM_FW_PING, 2);
        d.PostMessage(WM_FW_PING, 3);
        d.PostMessage(WM_FW_FINISH, 42);
    };
    ASSERT_EQ(dlg.DoModal(), 42);
    EXPECT_TRUE(dlg.SawPreTranslated(nullptr, WM_FW_THREAD, 1));
    bool sawPing2 = false, sawPing3 = false;
    for (const MSG& msg : dlg.preTranslated) {
        sawPing2 |= msg.message == WM_FW_PING && msg.wParam == 2 && msg.hwnd != nullptr;
        sawPing3 |= msg.message == WM_FW_PING && msg.wParam == 3 && msg.hwnd != nullptr;
    }
    EXPECT_TRUE(sawPing2);
    EXPECT_TRUE(sawPing3);
    EXPECT_EQ(dlg.pings, std::vector<WPARAM>{2});
}

TEST(ModalLoop, EndDialogFromAHandlerEndsTheRunWithItsResult) {
    TestDialog dlg;
    dlg.onInit = [](TestDialog& d) {
        d.Run([](TestDialog& r) { r.EndDialog(1234); });
        d.PostMessage(WM_FW_PING, 9); // never reached: the loop has ended
    };
    EXPECT_EQ(dlg.DoModal(), 1234);
    EXPECT_TRUE(dlg.pings.empty());
    EXPECT_EQ(dlg.m_hWnd, nullptr);
}

TEST(ModalLoop, EndDialogInOnInitDialogSkipsTheLoop) {
    TestDialog dlg;
    dlg.onInit = [](TestDialog& d) {
        d.PostMessage(WM_FW_PING, 1);
        d.EndDialog(5);
    };
    EXPECT_EQ(dlg.DoModal(), 5);
    EXPECT_TRUE(dlg.preTranslated.empty());
}

DWORD WINAPI SendFinishLater(LPVOID dialog) {
    Sleep(100);
    SendMessageA(static_cast<HWND>(dialog), WM_FW_FINISH, 77, 0);
    return 0;
}

TEST(ModalLoop, EndDialogFromASentMessageWakesTheLoop) {
    // A message sent from another thread is handled inside GetMessage; the
    // loop must not go on sleeping after it has ended the dialog.
    TestDialog dlg;
    dlg.onInit = [](TestDialog& d) {
        HWND hWnd = d.m_hWnd;
        CloseHandle(CreateThread(nullptr, 0, SendFinishLater, hWnd, 0, nullptr));
    };
    EXPECT_EQ(dlg.DoModal(), 77);
}

TEST(ModalLoop, QuitMessageEndsTheRunAndIsPostedAgain) {
    TestDialog dlg;
    dlg.onInit = [](TestDialog&) { PostQuitMessage(7); };
    EXPECT_EQ(dlg.DoModal(), -1);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 7u);
}

TEST(ModalLoop, MissingTemplateGivesMinusOne) {
    TestDialog dlg(IDD_FW_MISSING);
    EXPECT_EQ(dlg.DoModal(), -1);
    EXPECT_EQ(dlg.m_hWnd, nullptr);
}

TEST(ModalLoop, OkAndCancelCommandsReachTheVirtualHandlers) {
    TestDialog ok;
    ok.onInit = [](TestDialog& d) { d.PostMessage(WM_COMMAND, IDOK, 0); };
    EXPECT_EQ(ok.DoModal(), IDOK);
    EXPECT_EQ(ok.okCalls, 1);

    TestDialog cancel;
    cancel.onInit = [](TestDialog& d) {
        HWND button = ::GetDlgItem(d.m_hWnd, IDCANCEL);
        d.PostMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    };
    EXPECT_EQ(cancel.DoModal(), IDCANCEL);
    EXPECT_EQ(cancel.cancelCalls, 1);
    EXPECT_EQ(cancel.okCalls, 0);
}

TEST(ModalLoop, EscapeInAnEditReachesOnCancelThroughTheDialogManager) {
    TestDialog dlg;
    dlg.onInit = [](TestDialog& d) {
        HWND edit = ::GetDlgItem(d.m_hWnd, IDC_FW_NAME);
        PostMessageA(edit, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    };
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_EQ(dlg.cancelCalls, 1);
}

// A derived map entry for the Login button wins over the base routing to OnOK.
class ClickDialog : public TestDialog {
public:
    int clicks = 0;

protected:
    afx_msg void OnOkClicked() { ++clicks; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(ClickDialog, TestDialog)
    ON_BN_CLICKED(IDOK, &ClickDialog::OnOkClicked)
END_MESSAGE_MAP()

TEST(ModalLoop, DerivedButtonEntryWinsOverTheOkRouting) {
    ClickDialog dlg;
    dlg.onInit = [](TestDialog& d) {
        HWND button = ::GetDlgItem(d.m_hWnd, IDOK);
        d.PostMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(button));
        d.PostMessage(WM_FW_FINISH, 3);
    };
    EXPECT_EQ(dlg.DoModal(), 3);
    EXPECT_EQ(dlg.clicks, 1);
    EXPECT_EQ(dlg.okCalls, 0);
}

TEST(ModalLoop, OnOkDoesNotEndTheDialogWhenTheExchangeFails) {
    TestDialog dlg;
    dlg.exchangeMissingControl = true;
    dlg.onInit = [](TestDialog& d) {
        d.PostMessage(WM_COMMAND, IDOK, 0);
        d.PostMessage(WM_FW_FINISH, 8);
    };
    EXPECT_EQ(dlg.DoModal(), 8);
    EXPECT_EQ(dlg.okCalls, 1);
}

// A plain window of the thread, outside the dialog.
LRESULT CALLBACK CountingProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_FW_PING) {
        ++*reinterpret_cast<int*>(GetWindowLongPtrA(hWnd, GWLP_USERDATA));
        return 0;
    }
    return DefWindowProcA(hWnd, message, wParam, lParam);
}

TEST(ModalLoop, MessagesForOtherWindowsOfTheThreadAreDispatched) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = CountingProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "FwCountingWindow";
    RegisterClassA(&wc);
    HWND other = CreateWindowA("FwCountingWindow", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(other, nullptr);
    int count = 0;
    SetWindowLongPtrA(other, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&count));

    TestDialog dlg;
    dlg.onInit = [other](TestDialog& d) {
        PostMessageA(other, WM_FW_PING, 5, 0);
        d.PostMessage(WM_FW_FINISH, 1);
    };
    EXPECT_EQ(dlg.DoModal(), 1);
    EXPECT_TRUE(dlg.SawPreTranslated(other, WM_FW_PING, 5));
    EXPECT_EQ(count, 1);
    DestroyWindow(other);
}

// Closes the thread's message box from a thread timer, which the box's own
// loop dispatches.
HWND g_box = nullptr;
BOOL CALLBACK FindBox(HWND hWnd, LPARAM) {
    char caption[64] = "";
    GetWindowTextA(hWnd, caption, sizeof caption);
    if (lstrcmpA(caption, "Framework box") != 0) return TRUE;
    g_box = hWnd;
    return FALSE;
}
void CALLBACK CloseBox(HWND, UINT, UINT_PTR id, DWORD) {
    g_box = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindBox, 0);
    if (!g_box) return;
    KillTimer(nullptr, id);
    PostMessageA(g_box, WM_COMMAND, IDOK, 0);
}

TEST(ModalLoop, MessageBoxOwnedByTheDialogRunsAndTheLoopGoesOnAfterIt) {
    TestDialog dlg;
    int boxResult = 0;
    HWND hDlg = nullptr;
    dlg.onInit = [&](TestDialog& d) {
        hDlg = d.m_hWnd;
        d.Run([&boxResult](TestDialog& r) {
            SetTimer(nullptr, 0, 50, CloseBox);
            // Posted before the box opens; the box's loop dispatches it.
            r.PostMessage(WM_FW_PING, 1);
            boxResult = r.MessageBox("Nested loop", "Framework box", MB_OK);
            r.PostMessage(WM_FW_PING, 2);
            r.PostMessage(WM_FW_FINISH, 6);
        });
    };
    EXPECT_EQ(dlg.DoModal(), 6);
    EXPECT_EQ(boxResult, IDOK);
    EXPECT_EQ(dlg.pings, (std::vector<WPARAM>{1, 2}));
    // The box's own loop dispatched the first ping; only ours pre-translates.
    EXPECT_FALSE(dlg.SawPreTranslated(hDlg, WM_FW_PING, 1));
    EXPECT_TRUE(dlg.SawPreTranslated(hDlg, WM_FW_PING, 2));
}

TEST(ModalLoop, OwnerIsDisabledDuringTheRunAndEnabledAfter) {
    HWND owner = CreateWindowA("STATIC", "owner", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(owner, nullptr);
    CWnd ownerWnd;
    ASSERT_TRUE(ownerWnd.Attach(owner));
    TestDialog dlg(IDD_FW_TEST, &ownerWnd);
    BOOL enabledDuring = TRUE;
    HWND dialogOwner = nullptr;
    dlg.onInit = [&](TestDialog& d) {
        enabledDuring = IsWindowEnabled(owner);
        dialogOwner = GetWindow(d.m_hWnd, GW_OWNER);
        d.PostMessage(WM_FW_FINISH, 2);
    };
    EXPECT_EQ(dlg.DoModal(), 2);
    EXPECT_FALSE(enabledDuring);
    EXPECT_EQ(dialogOwner, owner);
    EXPECT_TRUE(IsWindowEnabled(owner));
    ownerWnd.DestroyWindow();
    EXPECT_EQ(ownerWnd.m_hWnd, nullptr);
}

TEST(ModalLoop, TemplateWithoutVisibleStyleIsShownWhenTheQueueRunsDry) {
    TestDialog dlg(IDD_FW_HIDDEN);
    dlg.exchangeControls = false;
    BOOL visibleAtInit = TRUE, visibleLater = FALSE;
    dlg.onInit = [&](TestDialog& d) {
        visibleAtInit = d.IsWindowVisible();
        d.SetTimer(1, 50, nullptr); // timers come only once the queue is empty
    };
    dlg.onPreTranslate = [&](MSG& msg) {
        if (msg.message == WM_TIMER && msg.wParam == 1) {
            visibleLater = IsWindowVisible(msg.hwnd);
            PostMessageA(msg.hwnd, WM_FW_FINISH, 4, 0);
            return TRUE;
        }
        return -1;
    };
    EXPECT_EQ(dlg.DoModal(), 4);
    EXPECT_FALSE(visibleAtInit);
    EXPECT_TRUE(visibleLater);
}

TEST(ModalLoop, DialogCanRunAgainAfterItsEnd) {
    TestDialog dlg;
    dlg.onInit = [](TestDialog& d) { d.PostMessage(WM_FW_FINISH, 10); };
    EXPECT_EQ(dlg.DoModal(), 10);
    dlg.onInit = [](TestDialog& d) { d.PostMessage(WM_FW_FINISH, 11); };
    EXPECT_EQ(dlg.DoModal(), 11);
}

} // namespace
