// The application object and the program's way in through AfxWinMain.
#include <gtest/gtest.h>

#include "TestDialog.h"

namespace {

class ScriptedApp : public CWinApp {
public:
    BOOL initResult = FALSE;
    int exitResult = 0;
    int initCalls = 0;
    int exitCalls = 0;
    int helpCalls = 0;
    CWinApp* appSeen = nullptr;
    CWinThread* threadSeen = nullptr;
    HINSTANCE instanceSeen = nullptr;

    BOOL InitInstance() override {
        ++initCalls;
        appSeen = AfxGetApp();
        threadSeen = AfxGetThread();
        instanceSeen = AfxGetInstanceHandle();
        CWinApp::InitInstance();
        AfxEnableControlContainer();
        return initResult;
    }
    int ExitInstance() override {
        ++exitCalls;
        CWinApp::ExitInstance();
        return exitResult;
    }

protected:
    afx_msg void OnHelpCommand() { ++helpCalls; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(ScriptedApp, CWinApp)
    ON_COMMAND(ID_HELP, &ScriptedApp::OnHelpCommand)
END_MESSAGE_MAP()

// The program's own application class names the framework's Help handler.
class HelpApp : public CWinApp {
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(HelpApp, CWinApp)
    ON_COMMAND(ID_HELP, &CWinApp::OnHelp)
END_MESSAGE_MAP()

TEST(Application, FalseFromInitInstanceTakesTheExitPathWithoutALoop) {
    ScriptedApp app;
    app.exitResult = 3;
    PostThreadMessageA(GetCurrentThreadId(), WM_FW_THREAD, 0, 0);
    HINSTANCE instance = GetModuleHandleA(nullptr);
    EXPECT_EQ(AfxWinMain(instance, nullptr, const_cast<char*>(""), SW_SHOW), 3);
    EXPECT_EQ(app.initCalls, 1);
    EXPECT_EQ(app.exitCalls, 1);
    EXPECT_EQ(app.appSeen, &app);
    EXPECT_EQ(app.threadSeen, &app);
    EXPECT_EQ(app.instanceSeen, instance);
    EXPECT_EQ(AfxGetResourceHandle(), instance);
    EXPECT_EQ(app.m_hInstance, instance);
    // Nothing took the message out of the queue.
    MSG msg;
    EXPECT_TRUE(PeekMessageA(&msg, nullptr, WM_FW_THREAD, WM_FW_THREAD, PM_REMOVE));
}

TEST(Application, BaseExitInstanceGivesZeroWhenNoLoopRan) {
    CWinApp app;
    EXPECT_EQ(app.ExitInstance(), 0);
}

TEST(Application, TrueWithoutAMainWindowEndsTheLoopAtOnce) {
    ScriptedApp app;
    app.initResult = TRUE;
    app.exitResult = 12;
    EXPECT_EQ(AfxWinMain(GetModuleHandleA(nullptr), nullptr, const_cast<char*>(""), SW_SHOW), 12);
    EXPECT_EQ(app.exitCalls, 1);
}

TEST(Application, NameComesFromTheModuleAndTheRegistryKeyIsOnlyRecorded) {
    CWinApp app;
    EXPECT_EQ(AfxGetApp(), &app);
    EXPECT_STREQ(app.m_pszAppName, "framework_tests");
    EXPECT_EQ(app.m_pszRegistryKey, nullptr);
    app.SetRegistryKey("Local AppWizard-Generated Applications");
    EXPECT_STREQ(app.m_pszRegistryKey, "Local AppWizard-Generated Applications");
    EXPECT_STREQ(app.m_pszProfileName, "framework_tests");
    HKEY key = nullptr;
    EXPECT_NE(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Local AppWizard-Generated Applications", 0, KEY_READ, &key),
              ERROR_SUCCESS);
    CWinApp named("Given name");
    EXPECT_STREQ(named.m_pszAppName, "Given name");
    EXPECT_EQ(AfxGetApp(), &app); // the first object stays the application
}

TEST(Application, MainWindowIsForgottenWhenTheDialogEnds) {
    ScriptedApp app;
    AfxWinInit(GetModuleHandleA(nullptr), nullptr, const_cast<char*>(""), SW_SHOW);
    {
        TestDialog dlg;
        app.m_pMainWnd = &dlg;
        CWnd* mainDuring = nullptr;
        HWND ownerDuring = reinterpret_cast<HWND>(1);
        dlg.onInit = [&](TestDialog& d) {
            mainDuring = AfxGetMainWnd();
            ownerDuring = GetWindow(d.m_hWnd, GW_OWNER);
            d.PostMessage(WM_FW_FINISH, 1);
        };
        EXPECT_EQ(dlg.DoModal(), 1);
        EXPECT_EQ(mainDuring, &dlg);
        EXPECT_EQ(ownerDuring, nullptr);
        EXPECT_EQ(app.m_pMainWnd, nullptr);
    }
    {
        // A dialog that never had a window must not stay behind as the main window.
        TestDialog broken(IDD_FW_MISSING);
        app.m_pMainWnd = &broken;
        EXPECT_EQ(broken.DoModal(), -1);
    }
    EXPECT_EQ(app.m_pMainWnd, nullptr);
}

TEST(Application, HelpCommandOfTheDialogReachesTheApplicationsMap) {
    ScriptedApp app;
    AfxWinInit(GetModuleHandleA(nullptr), nullptr, const_cast<char*>(""), SW_SHOW);
    TestDialog dlg;
    dlg.onInit = [](TestDialog& d) {
        d.PostMessage(WM_COMMAND, ID_HELP, 0);
        d.PostMessage(WM_FW_FINISH, 1);
    };
    EXPECT_EQ(dlg.DoModal(), 1);
    EXPECT_EQ(app.helpCalls, 1);
}

TEST(Application, FrameworkHelpHandlerCanBeNamedInTheMap) {
    HelpApp app;
    EXPECT_TRUE(app.OnCmdMsg(ID_HELP, CN_COMMAND));
    EXPECT_FALSE(app.OnCmdMsg(ID_HELP + 1, CN_COMMAND));
}

} // namespace
