// A user's road through the dialog: Ready, an attempt, the hidden wait for the
// trading client, the end; and the failures that bring the dialog back.
#include "ProductTest.h"

#include "Screen.h"

using driver::Keyboard;
using driver::ProductSession;
using driver::Screen;
using driver::WaitUntil;
using driver::Window;

namespace e2e {
namespace {

constexpr const char* kErrorCaption = "VPN Connection Error   ";
constexpr const char* kEntry = "QuillMarsh Professional Trading";

ULONGLONG Now() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return (static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

class LoginFlow : public ProductTest {
protected:
    void EnterCredentials(const std::string& user, const std::string& password) {
        TypeInto(kUserId, user);
        TypeInto(kPassword, password);
        ASSERT_TRUE(WaitUntil([&] { return Control(IDOK).enabled(); }, 3000));
    }

    Window WaitForErrorBox(DWORD timeoutMs = 20000) {
        return product.waitForMessageBox(kErrorCaption, timeoutMs);
    }

    // Closes the error box and waits for the dialog to come back.
    void DismissErrorBox(const Window& box) {
        ASSERT_TRUE(box.child(IDOK).click());
        ASSERT_TRUE(ProductSession::waitForGone(box, 5000));
        ASSERT_TRUE(WaitUntil([&] { return window.visible() && Control(IDCANCEL).enabled(); }, 5000));
    }

    bool WaitForClientStart(DWORD timeoutMs = 20000) const {
        return WaitUntil([&] { return !ClientLogValue("started").empty(); }, timeoutMs);
    }

    // True when anything but the dialog's colour shows in the strip where the
    // connecting text is drawn.
    bool ConnectingTextShown() const {
        const RECT client = window.clientRectOnScreen();
        RECT area = {client.left + 66, client.top + 127, client.left + 226, client.top + 140};
        driver::ScreenImage image = Screen::capture(area);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixel(x, y) != kBackground) return true;
        return false;
    }
};

TEST_F(LoginFlow, LoginIsEnabledOnlyWhileBothBoxesHoldText) {
    StartProduct();
    EXPECT_FALSE(Control(IDOK).enabled());
    TypeInto(kUserId, "a");
    ASSERT_TRUE(WaitUntil([&] { return Control(kUserId).text() == "A"; }, 3000));
    EXPECT_FALSE(Control(IDOK).enabled());
    // A blank is text too: nothing is trimmed.
    TypeInto(kPassword, " ");
    EXPECT_TRUE(WaitUntil([&] { return Control(IDOK).enabled(); }, 3000));
    TypeInto(kUserId, "\b");
    EXPECT_TRUE(WaitUntil([&] { return !Control(IDOK).enabled(); }, 3000));
}

TEST_F(LoginFlow, StoredLoginNamePrefillsUserIdAndFocusesPassword) {
    WriteRegistryString("Login Username", "JSMITH");
    StartProduct();
    EXPECT_EQ(Control(kUserId).text(), "JSMITH");
    EXPECT_TRUE(WaitUntil([&] { return Keyboard::focus(window) == Control(kPassword); }, 3000));
}

TEST_F(LoginFlow, WithoutStoredNameUserIdHasTheFocus) {
    StartProduct();
    EXPECT_EQ(Control(kUserId).text(), "");
    EXPECT_TRUE(WaitUntil([&] { return Keyboard::focus(window) == Control(kUserId); }, 3000));
}

TEST_F(LoginFlow, LoginRunsTheClientHiddenAndEndsAfterItExitsAndTheHangUp) {
    WriteRasScenario("dial.delay_ms=1500\n");
    StartProduct({{"QM_CLIENT_EXIT_AFTER_MS", "5000"}});
    EnterCredentials("jsmith", "pa55");
    ASSERT_TRUE(Control(IDOK).click());

    // The attempt: connecting text, both buttons off, the password gone.
    EXPECT_TRUE(WaitUntil([&] { return !Control(IDCANCEL).enabled(); }, 3000));
    EXPECT_FALSE(Control(IDOK).enabled());
    EXPECT_EQ(Control(kUserId).text(), "JSMITH");
    EXPECT_TRUE(WaitUntil([&] { return Control(kPassword).text().empty(); }, 3000));
    EXPECT_TRUE(ConnectingTextShown());

    ASSERT_TRUE(WaitForClientStart());
    EXPECT_EQ(ClientLogValue("commandLine"),
              "\"" + InstalledClientPath() + "\" JSMITH pa55");
    const ULONGLONG clientCreated = std::stoull(ClientLogValue("created"));
    ASSERT_TRUE(WaitUntil([&] { return !window.visible(); }, 10000));
    const double hiddenAfter = (Now() - clientCreated) / 1e7;
    EXPECT_GT(hiddenAfter, 3.1);
    EXPECT_LT(hiddenAfter, 4.5);

    ASSERT_TRUE(product.waitForExit(15000));
    EXPECT_EQ(CountRasCalls("RasDialA"), 1);
    EXPECT_EQ(CountRasCalls("RasHangUpA"), 1);
    // No error box on the way out.
    EXPECT_FALSE(WaitForErrorBox(0));
    const std::string route = "worker Command \"route ";
    ExpectSupportLog({" started, process id ", "dialog Configuration server host "
                      "cfgsvr.quillmarsh-holdings.com, port 17777", "dialog Login pressed, user ID JSMITH",
                      "worker Phonebook entry \"QuillMarsh Professional Trading\"",
                      "worker Dialling", "worker Dial connected", "worker Tunnel addresses: client 10.200.40.23",
                      route + "DELETE 0.0.0.0 10.200.40.23\" exit code 0 after ", route + "ADD ", route + "ADD ",
                      route + "ADD ", route + "ADD 10.200.36.0 MASK 255.255.252.0 10.200.40.23\" exit code 0",
                      "worker Trading client " + InstalledClientPath() + " started, process id ",
                      "dialog Dialog hidden", "worker Trading client exited with exit code 0", "worker Hung up",
                      "worker Status poll 1", "dialog Quillmarsh VPN ends"},
                     {"pa55", "PA55", "Marigold!"});
}

TEST_F(LoginFlow, EnterActsAsLoginOnceItIsEnabled) {
    WriteRasScenario("dial.delay_ms=0\n");
    StartProduct({{"QM_CLIENT_EXIT_AFTER_MS", "0"}});
    TypeInto(kUserId, "u");
    ASSERT_TRUE(Keyboard::postKey(Control(kUserId), VK_RETURN));
    Sleep(300);
    EXPECT_TRUE(Control(IDCANCEL).enabled()) << "Enter with Login disabled did something";
    EnterCredentials("", "p");
    ASSERT_TRUE(Keyboard::postKey(Control(kPassword), VK_RETURN));
    EXPECT_TRUE(WaitForClientStart());
    EXPECT_TRUE(product.waitForExit(15000));
}

TEST_F(LoginFlow, AStalledRouteCommandHoldsTheAttemptTenSecondsAndTheOthersStillRun) {
    WriteRasScenario("dial.delay_ms=0\n");
    // The first command, the DELETE, hangs for longer than the login waits.
    StartProduct({{"QM_ROUTE_STALL", "DELETE:14000"}, {"QM_CLIENT_EXIT_AFTER_MS", "500"}});
    EnterCredentials("u", "p");
    const ULONGLONG clicked = Now();
    ASSERT_TRUE(Control(IDOK).click());
    ASSERT_TRUE(WaitForClientStart(30000));
    const double startedAfter = (std::stoull(ClientLogValue("created")) - clicked) / 1e7;
    EXPECT_GT(startedAfter, 9.8);
    EXPECT_LT(startedAfter, 13.5);
    EXPECT_TRUE(product.waitForExit(15000));
    EXPECT_EQ(CountRasCalls("RasHangUpA"), 1);
    // The four ADDs ran; the DELETE was left to end on its own, and did.
    ASSERT_TRUE(WaitUntil([&] { return ReadLines(TestFile("route.log")).size() == 5; }, 15000));
    const std::vector<std::string> runs = ReadLines(TestFile("route.log"));
    for (int i = 0; i < 4; ++i) EXPECT_NE(runs[i].find("args=ADD "), std::string::npos) << runs[i];
    EXPECT_NE(runs[4].find("args=DELETE 0.0.0.0 "), std::string::npos) << runs[4];
    EXPECT_NE(runs[4].find("\texit=0\t"), std::string::npos) << runs[4];
    ExpectSupportLog({"Command \"route DELETE 0.0.0.0 10.200.40.23\" still running after 100",
                      "Command \"route ADD 10.200.3.0 ", "worker Hung up"}, {"Marigold!"});
}

struct FailureCase {
    const char* name;
    const char* scenario;
    bool removeClient;
    // A missing client's text names its path, which the system decides.
    const char* text;
};

class LoginFailure : public LoginFlow, public ::testing::WithParamInterface<FailureCase> {
protected:
    void TearDown() override {
        LoginFlow::TearDown();
        if (!movedClient.empty()) MoveFileA(movedClient.c_str(), client.c_str());
    }
    std::string client = InstalledClientPath();
    std::string movedClient;
};

TEST_P(LoginFailure, ShowsTheErrorBoxThenTheReadyDialog) {
    const FailureCase& c = GetParam();
    WriteRasScenario(std::string("dial.delay_ms=0\n") + c.scenario);
    if (c.removeClient) {
        movedClient = client + ".away";
        ASSERT_TRUE(MoveFileA(client.c_str(), movedClient.c_str()));
    }
    StartProduct();
    EnterCredentials("jsmith", "secret");
    ASSERT_TRUE(Control(IDOK).click());

    Window box = WaitForErrorBox();
    ASSERT_TRUE(box);
    const std::string shown = c.text ? c.text : "Failed starting " + client;
    EXPECT_EQ(box.child(0xFFFF).text(), shown);
    EXPECT_EQ(box.owner(), window);
    DismissErrorBox(box);
    ExpectSupportLog({"dialog Login pressed, user ID JSMITH",
                      std::string(c.name) == "Dial" ? "worker Dial failed after" : "worker ",
                      "dialog Message box \"VPN Connection Error   \": " + shown},
                     {"secret", "SECRET", "Marigold!"});

    EXPECT_TRUE(window.visible());
    EXPECT_TRUE(Control(IDCANCEL).enabled());
    EXPECT_FALSE(Control(IDOK).enabled());
    // The link was hung up before the failure was reported.
    EXPECT_EQ(CountRasCalls("RasHangUpA"), CountRasCalls("RasDialA") > 0 ? 1 : 0);
    TypeInto(kPassword, "again");
    EXPECT_TRUE(WaitUntil([&] { return Control(IDOK).enabled(); }, 3000));
    ASSERT_TRUE(Control(IDCANCEL).click());
    EXPECT_TRUE(product.waitForExit(10000));
}

INSTANTIATE_TEST_SUITE_P(
    Failures, LoginFailure,
    ::testing::Values(
        FailureCase{"Dial", "dial.result=691\n", false,
                    "RasDial QuillMarsh Professional Trading failed error=691"},
        FailureCase{"Projection", "projection.result=720\n", false,
                    "RasGetProjectionInfo QuillMarsh Professional Trading failed error=720"},
        FailureCase{"MissingClient", "", true,
                    nullptr}),
    [](const ::testing::TestParamInfo<FailureCase>& info) { return info.param.name; });

TEST_F(LoginFlow, NothingButTheAttemptsEndClosesTheDialogWhileItRuns) {
    WriteRasScenario("dial.delay_ms=2500\n");
    StartProduct({{"QM_CLIENT_EXIT_AFTER_MS", "0"}});
    EnterCredentials("u", "p");
    ASSERT_TRUE(Control(IDOK).click());
    ASSERT_TRUE(WaitUntil([&] { return !Control(IDCANCEL).enabled(); }, 3000));

    // Esc, Alt+F4 and the close command all arrive as IDCANCEL or WM_CLOSE.
    ASSERT_TRUE(window.post(WM_COMMAND, IDCANCEL, 0));
    ASSERT_TRUE(window.post(WM_CLOSE, 0, 0));
    ASSERT_TRUE(Keyboard::postKey(Control(kUserId), VK_ESCAPE));
    // F8 must not start a second dial beside this one.
    ASSERT_TRUE(Keyboard::postKey(Control(kUserId), VK_F8));
    Sleep(500);
    EXPECT_TRUE(product.running());
    EXPECT_TRUE(window.exists());

    EXPECT_TRUE(WaitForClientStart());
    EXPECT_TRUE(product.waitForExit(15000));
    EXPECT_EQ(CountRasCalls("RasDialA"), 1);
    EXPECT_EQ(CountRasCalls("RasHangUpA"), 1);
}

}  // namespace
}  // namespace e2e
