// A user's road through the dialog: Ready, an attempt, the hidden wait for the
// trading client, the end; and the failures that bring the dialog back.
#include "ProductTest.h"

#include "FindTopLevelWindow.h"
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

constexpr ULONGLONG kTicksPerSecond = 10000000; // FILETIME's 100 ns

ULONGLONG Now() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return (static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

class LoginFlow : public ProductTest {
protected:
    void SetUp() override {
        ProductTest::SetUp();
        routeReleaseName = "qm-e2e-route-release-" + std::to_string(GetCurrentProcessId());
        routeRelease = CreateEventA(nullptr, TRUE, FALSE, routeReleaseName.c_str());
    }
    void TearDown() override {
        // A stalled route command must not outlive its test.
        SetEvent(routeRelease);
        ProductTest::TearDown();
        CloseHandle(routeRelease);
    }

    // The environment in which each run of `command` stalls until the test lets
    // it go (a minute at most): the test, not the machine's speed, decides when
    // it ends.
    std::vector<std::pair<std::string, std::string>> StalledRoute(const char* command) const {
        return {{"QM_ROUTE_STALL", std::string(command) + ":60000"}, {"QM_ROUTE_STALL_RELEASE", routeReleaseName}};
    }

    void EnterCredentials(const std::string& user, const std::string& password) {
        TypeInto(IDC_USER_ID, user);
        TypeInto(IDC_PASSWORD, password);
        ASSERT_TRUE(WaitUntil([&] { return Control(IDOK).enabled(); }, kReactionLimitMs));
    }

    Window WaitForErrorBox(DWORD timeoutMs = kAttemptLimitMs) {
        return product.waitForMessageBox(kErrorCaption, timeoutMs);
    }

    // Closes the error box and waits for the dialog to come back.
    void DismissErrorBox(const Window& box) {
        ASSERT_TRUE(box.child(IDOK).click());
        ASSERT_TRUE(ProductSession::waitForGone(box, kReactionLimitMs));
        ASSERT_TRUE(WaitUntil([&] { return window.visible() && Control(IDCANCEL).enabled(); }, kReactionLimitMs));
    }

    bool WaitForClientStart(DWORD timeoutMs = kAttemptLimitMs) const {
        return WaitUntil([&] { return !standins.clientLogValue("started").empty(); }, timeoutMs);
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

    std::string routeReleaseName;
    HANDLE routeRelease = nullptr;
};

TEST_F(LoginFlow, LoginIsEnabledOnlyWhileBothBoxesHoldText) {
    StartProduct();
    EXPECT_FALSE(Control(IDOK).enabled());
    TypeInto(IDC_USER_ID, "a");
    ASSERT_TRUE(WaitUntil([&] { return Control(IDC_USER_ID).text() == "A"; }, kReactionLimitMs));
    EXPECT_FALSE(Control(IDOK).enabled());
    // A blank is text too: nothing is trimmed.
    TypeInto(IDC_PASSWORD, " ");
    EXPECT_TRUE(WaitUntil([&] { return Control(IDOK).enabled(); }, kReactionLimitMs));
    TypeInto(IDC_USER_ID, "\b");
    EXPECT_TRUE(WaitUntil([&] { return !Control(IDOK).enabled(); }, kReactionLimitMs));
}

TEST_F(LoginFlow, StoredLoginNamePrefillsUserIdAndFocusesPassword) {
    WriteRegistryString(SettingsStore::kLoginNameValue, "JSMITH");
    StartProduct();
    EXPECT_EQ(Control(IDC_USER_ID).text(), "JSMITH");
    EXPECT_TRUE(WaitUntil([&] { return Keyboard::focus(window) == Control(IDC_PASSWORD); }, kReactionLimitMs));
}

TEST_F(LoginFlow, WithoutStoredNameUserIdHasTheFocus) {
    StartProduct();
    EXPECT_EQ(Control(IDC_USER_ID).text(), "");
    EXPECT_TRUE(WaitUntil([&] { return Keyboard::focus(window) == Control(IDC_USER_ID); }, kReactionLimitMs));
}

TEST_F(LoginFlow, LoginRunsTheClientHiddenAndEndsAfterItExitsAndTheHangUp) {
    standins.writeScenario("dial.delay_ms=1500\n");
    // The client runs until the test has seen the dialog hide, so that the hide
    // can only have come from its own timer, however slow the machine.
    StartProduct();
    EnterCredentials("jsmith", "pa55");
    // A user's click comes long after the dialog has painted what the typing
    // changed; a repaint still due after the click would wipe the connecting
    // text, which is drawn outside a paint.
    ASSERT_TRUE(WaitUntil([&] { return !GetUpdateRect(window.handle(), nullptr, FALSE); }, kReactionLimitMs));
    ASSERT_TRUE(Control(IDOK).click());

    // The attempt: connecting text, both buttons off, the password gone.
    EXPECT_TRUE(WaitUntil([&] { return !Control(IDCANCEL).enabled(); }, kReactionLimitMs));
    EXPECT_FALSE(Control(IDOK).enabled());
    EXPECT_EQ(Control(IDC_USER_ID).text(), "JSMITH");
    EXPECT_TRUE(WaitUntil([&] { return Control(IDC_PASSWORD).text().empty(); }, kReactionLimitMs));
    // Drawn outside a paint, the text reaches the screen only when the window's
    // surface is next flushed (by the dialog's own thread under Wine), which a
    // busy machine puts off; the dialog stays up through the dial and the
    // client's first three seconds.
    EXPECT_TRUE(WaitUntil([&] { return ConnectingTextShown() && window.visible(); }, kReactionLimitMs));

    ASSERT_TRUE(WaitForClientStart());
    EXPECT_EQ(standins.clientLogValue("commandLine"), "\"" + InstalledClientPath() + "\" JSMITH pa55");
    const ULONGLONG clientCreated = std::stoull(standins.clientLogValue("created"));
    ASSERT_TRUE(WaitUntil([&] { return !window.visible(); }, kAttemptLimitMs));
    // Not before its 3.182 s; how late a busy machine lets it come is no verdict.
    EXPECT_GT((Now() - clientCreated) / 1e7, 3.1);
    EXPECT_TRUE(product.running()) << "the dialog hides while the client runs";
    standins.releaseClient();

    ASSERT_TRUE(product.waitForExit(kAttemptLimitMs));
    EXPECT_EQ(CountRasCalls("RasDialA"), 1);
    EXPECT_EQ(CountRasCalls("RasHangUpA"), 1);
    // No error box on the way out.
    EXPECT_FALSE(WaitForErrorBox(0));
    const std::string route = "worker Command \"route ";
    ExpectSupportLog({" started, process id ",
                      "dialog Configuration server host "
                      "cfgsvr.quillmarsh-holdings.com, port 17777",
                      "dialog Login pressed, user ID JSMITH",
                      "worker Phonebook entry \"QuillMarsh Professional Trading\"", "worker Dialling",
                      "worker Dial connected", "worker Tunnel addresses: client 10.200.40.23",
                      route + "DELETE 0.0.0.0 10.200.40.23\" exit code 0 after ", route + "ADD ", route + "ADD ",
                      route + "ADD ", route + "ADD 10.200.36.0 MASK 255.255.252.0 10.200.40.23\" exit code 0",
                      "worker Trading client " + InstalledClientPath() + " started, process id ",
                      "dialog Dialog hidden", "worker Trading client exited with exit code 0", "worker Hung up",
                      "worker Status poll 1", "dialog Quillmarsh VPN ends"},
                     {"pa55", "PA55", "Marigold!"});
}

TEST_F(LoginFlow, EnterActsAsLoginOnceItIsEnabled) {
    standins.writeScenario("dial.delay_ms=0\n");
    StartProduct({{"QM_CLIENT_EXIT_AFTER_MS", "0"}});
    TypeInto(IDC_USER_ID, "u");
    ASSERT_TRUE(Keyboard::postKey(Control(IDC_USER_ID), VK_RETURN));
    Sleep(300);
    EXPECT_TRUE(Control(IDCANCEL).enabled()) << "Enter with Login disabled did something";
    EnterCredentials("", "p");
    ASSERT_TRUE(Keyboard::postKey(Control(IDC_PASSWORD), VK_RETURN));
    EXPECT_TRUE(WaitForClientStart());
    EXPECT_TRUE(product.waitForExit(kAttemptLimitMs));
}

TEST_F(LoginFlow, AStalledRouteCommandHoldsTheAttemptTenSecondsAndTheOthersStillRun) {
    standins.writeScenario("dial.delay_ms=0\n");
    // The first command, the DELETE, stalls until the test lets it go, so the
    // client can start only if the login stopped waiting for it.
    auto environment = StalledRoute("DELETE");
    environment.push_back({"QM_CLIENT_EXIT_AFTER_MS", "500"});
    StartProduct(environment);
    EnterCredentials("u", "p");
    ASSERT_TRUE(Control(IDOK).click());
    ASSERT_TRUE(WaitForClientStart());
    const ULONGLONG clientCreated = std::stoull(standins.clientLogValue("created"));
    EXPECT_TRUE(product.waitForExit(kAttemptLimitMs));
    EXPECT_EQ(CountRasCalls("RasHangUpA"), 1);

    // The four ADDs ran, and each had ended before the client started.
    std::vector<LogLine> runs = standins.routeRuns();
    ASSERT_EQ(runs.size(), 4u);
    for (const LogLine& run : runs) {
        EXPECT_EQ(run.Get("args").rfind("ADD ", 0), 0u) << run.Get("args");
        EXPECT_LT(run.Time("end"), clientCreated) << run.Get("args");
    }
    // The DELETE, still stalled, was left to end on its own; let go, it does.
    SetEvent(routeRelease);
    ASSERT_TRUE(WaitUntil([&] { return standins.routeRuns().size() == 5; }, kAttemptLimitMs));
    const LogLine stalled = standins.routeRuns()[4];
    EXPECT_EQ(stalled.Get("args").rfind("DELETE 0.0.0.0 ", 0), 0u) << stalled.Get("args");
    EXPECT_EQ(stalled.Get("exit"), "0");
    // The login gave it its ten seconds before it went on.
    EXPECT_GE(clientCreated, stalled.Time("start") + 10 * kTicksPerSecond);
    ExpectSupportLog({"Command \"route DELETE 0.0.0.0 10.200.40.23\" still running after ",
                      "Command \"route ADD 10.200.3.0 ", "worker Hung up"},
                     {"Marigold!"});
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
    standins.writeScenario(std::string("dial.delay_ms=0\n") + c.scenario);
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
    TypeInto(IDC_PASSWORD, "again");
    EXPECT_TRUE(WaitUntil([&] { return Control(IDOK).enabled(); }, kReactionLimitMs));
    ASSERT_TRUE(Control(IDCANCEL).click());
    EXPECT_TRUE(product.waitForExit(kAttemptLimitMs));
}

INSTANTIATE_TEST_SUITE_P(Failures, LoginFailure,
                         ::testing::Values(FailureCase{"Dial", "dial.result=691\n", false,
                                                       "RasDial QuillMarsh Professional Trading failed error=691"},
                                           FailureCase{
                                               "Projection", "projection.result=720\n", false,
                                               "RasGetProjectionInfo QuillMarsh Professional Trading failed error=720"},
                                           FailureCase{"MissingClient", "", true, nullptr}),
                         [](const ::testing::TestParamInfo<FailureCase>& info) { return info.param.name; });

TEST_F(LoginFlow, NothingButTheAttemptsEndClosesTheDialogWhileItRuns) {
    // The attempt is held at its first route command until the test lets it
    // go, so it cannot have ended by itself while the test looks.
    standins.writeScenario("dial.delay_ms=0\n");
    auto environment = StalledRoute("DELETE");
    environment.push_back({"QM_CLIENT_EXIT_AFTER_MS", "0"});
    StartProduct(environment);
    EnterCredentials("u", "p");
    ASSERT_TRUE(Control(IDOK).click());
    ASSERT_TRUE(WaitUntil([&] { return !Control(IDCANCEL).enabled(); }, kReactionLimitMs));

    // Esc, Alt+F4 and the close command all arrive as IDCANCEL or WM_CLOSE.
    ASSERT_TRUE(window.post(WM_COMMAND, IDCANCEL, 0));
    ASSERT_TRUE(window.post(WM_CLOSE, 0, 0));
    ASSERT_TRUE(Keyboard::postKey(Control(IDC_USER_ID), VK_ESCAPE));
    // F8 must not start a second dial beside this one, nor a retyped password
    // and Login.
    ASSERT_TRUE(Keyboard::postKey(Control(IDC_USER_ID), VK_F8));
    TypeInto(IDC_PASSWORD, "p");
    ASSERT_TRUE(window.post(WM_COMMAND, IDOK, 0));
    Sleep(500);
    EXPECT_TRUE(product.running());
    EXPECT_TRUE(window.exists());
    EXPECT_FALSE(Control(IDOK).enabled());
    SetEvent(routeRelease);

    EXPECT_TRUE(WaitForClientStart());
    EXPECT_TRUE(product.waitForExit(kAttemptLimitMs));
    EXPECT_EQ(CountRasCalls("RasDialA"), 1);
    EXPECT_EQ(CountRasCalls("RasHangUpA"), 1);
}

// --- The hours after the login: the link is watched while the client runs ---

class SupervisedSession : public LoginFlow {
protected:
    // Logs in and waits until the client runs and the first link's five
    // routes are in place.
    void LogIn() {
        StartProduct();
        EnterCredentials("jsmith", "pa55");
        ASSERT_TRUE(Control(IDOK).click());
        ASSERT_TRUE(WaitForClientStart());
        ASSERT_TRUE(WaitForRouteRuns(5));
        clientPid = standins.clientLogValue("pid");
    }
    bool WaitForRouteRuns(size_t count) const {
        return WaitUntil([&] { return standins.routeRuns().size() >= count; }, kAttemptLimitMs);
    }
    std::vector<LogLine> RasCalls(const char* call) const { return CallsOf(standins.rasCalls(), call); }
    // The stand-in's log line of the status query that first saw the drop.
    LogLine QueryThatSawTheDrop() const {
        for (const LogLine& line : RasCalls("RasGetConnectStatusA"))
            if (line.Get("dropped") == "1") return line;
        return LogLine();
    }
    // The trading client is never touched: the same process runs on.
    void ExpectClientRunsOn() const {
        EXPECT_EQ(standins.clientLogValue("pid"), clientPid);
        HANDLE client = OpenProcess(SYNCHRONIZE, FALSE, std::stoul(clientPid));
        ASSERT_NE(client, nullptr);
        EXPECT_EQ(WaitForSingleObject(client, 0), static_cast<DWORD>(WAIT_TIMEOUT));
        CloseHandle(client);
    }
    // The client's end ends the program, with every handle a dial gave back
    // hung up.
    void EndTheClient() {
        standins.releaseClient();
        EXPECT_TRUE(product.waitForExit(kAttemptLimitMs));
        EXPECT_EQ(CountRasCalls("RasHangUpA"), CountRasCalls("RasDialA"));
    }

    // True once a line holds `piece`; at once when the suite runs with a log
    // that cannot be written (QM_LOG_TRAP).
    bool WaitForSupportLogLine(const char* piece) const {
        return WaitUntil(
            [&] {
                for (const std::string& line : SupportLogOfThisTest())
                    if (line.find(piece) != std::string::npos) return true;
                return GetEnvironmentVariableA("QM_LOG_TRAP", nullptr, 0) != 0;
            },
            kAttemptLimitMs);
    }

    std::string clientPid;
};

TEST_F(SupervisedSession, ADroppedLinkIsDialledAgainAndItsRoutesGoBackWithTheNewAddress) {
    standins.writeScenario("dial.delay_ms=0\n");
    LogIn();
    standins.writeScenario("dial.delay_ms=0\nprojection.client=10.200.41.7\ndrop.serial=1\n");
    ASSERT_TRUE(WaitForRouteRuns(10));

    // Noticed by a status query, hung up, dialled again, then the routes.
    const std::vector<LogLine> dials = RasCalls("RasDialA");
    ASSERT_EQ(dials.size(), 2u);
    const LogLine dropped = QueryThatSawTheDrop();
    ASSERT_TRUE(dropped.Has("dropped")) << "no status query saw the drop";
    EXPECT_LT(dropped.Time("time"), dials[1].Time("time"));
    const std::vector<LogLine> runs = standins.routeRuns();
    const std::vector<LogLine> again(runs.begin() + 5, runs.end());
    EXPECT_EQ(again[0].Get("args"), "DELETE 0.0.0.0 10.200.41.7");
    for (size_t i = 1; i < again.size(); ++i)
        EXPECT_EQ(again[i].Get("args").rfind("ADD ", 0), 0u) << again[i].Get("args");
    for (const LogLine& run : again) {
        const std::string args = run.Get("args");
        EXPECT_TRUE(args.size() > 12 && args.compare(args.size() - 12, 12, " 10.200.41.7") == 0) << args;
        EXPECT_GT(run.Time("start"), dials[1].Time("time")) << args;
    }
    ExpectClientRunsOn();
    EndTheClient();
    ExpectSupportLog({"worker The link is watched while the trading client runs",
                      "worker The link is lost: RasGetConnectStatus answered 0, state ", "worker Dial 1 since the loss",
                      "worker Dial connected", "worker Tunnel addresses: client 10.200.41.7",
                      "worker Command \"route ADD 10.200.36.0 MASK 255.255.252.0 10.200.41.7\" exit code ",
                      "worker The link is restored after an outage of ", "worker Trading client exited",
                      "worker Hung up"},
                     {"pa55", "PA55", "Marigold!"});
}

// The gateway stays down for the first redials; then it refuses the account,
// and no dial may follow that one. The refusal comes while the trader has the
// tray menu open: that menu runs a message loop of its own, from which the
// report still reaches the window and is acted on at once.
TEST_F(SupervisedSession, FailingDialsComeAgainLaterAndARefusedAccountStopsThemAndShowsWhyWhileTheTrayMenuIsOpen) {
    standins.writeScenario("dial.delay_ms=0\n");
    LogIn();
    standins.writeScenario("dial.delay_ms=0\ndrop.serial=1\ndial.fail_serial=1\ndial.fail_next=100\n"
                           "dial.fail_error=800\n");
    ASSERT_TRUE(WaitUntil([&] { return RasCalls("RasDialA").size() >= 4; }, kAttemptLimitMs));
    // Enter on the icon, as the shell reports it in the callbacks' version 4:
    // the event in the low word, the icon's number in the high one.
    ASSERT_TRUE(window.post(kTrayNotify, 0, MAKELPARAM(NIN_KEYSELECT, 1)));
    auto menu = [&] { return driver::FindTopLevelWindow(product.processId(), "#32768", nullptr); };
    ASSERT_TRUE(WaitUntil([&] { return menu() && menu().visible(); }, kReactionLimitMs)) << "no tray menu";
    standins.writeScenario("dial.delay_ms=0\ndrop.serial=1\ndial.fail_serial=2\ndial.fail_next=100\n"
                           "dial.fail_error=691\n");
    ASSERT_TRUE(WaitUntil([&] { return window.visible(); }, kAttemptLimitMs)) << "the dialog did not come back";
    ASSERT_TRUE(WaitUntil([&] { return Control(IDC_STATUS).text().find("No more dials") != std::string::npos; },
                          kReactionLimitMs));
    EXPECT_NE(
        Control(IDC_STATUS).text().find("No more dials: RasDial QuillMarsh Professional Trading failed error=691"),
        std::string::npos)
        << Control(IDC_STATUS).text();
    EXPECT_FALSE(Control(IDCANCEL).enabled()) << "only the client's end ends the program";
    ASSERT_TRUE(Keyboard::postKey(window, VK_ESCAPE));
    EXPECT_TRUE(WaitUntil([&] { return !menu() || !menu().visible(); }, kReactionLimitMs));

    // The pauses grow: the redials come no sooner than 0, 2, 4 and 8 s after
    // the query that saw the loss (how much later a busy machine makes them is
    // the benchmark's business), and the refused one was the last.
    const LogLine dropped = QueryThatSawTheDrop();
    ASSERT_TRUE(dropped.Has("dropped"));
    const std::vector<LogLine> dials = RasCalls("RasDialA");
    ASSERT_GE(dials.size(), 5u);
    const ULONGLONG kSlack = kTicksPerSecond / 20;
    const ULONGLONG pauses[] = {0, 2, 4, 8};
    for (size_t i = 0; i < 4; ++i)
        EXPECT_GE(dials[i + 1].Time("time") + kSlack, dropped.Time("time") + pauses[i] * kTicksPerSecond)
            << "redial " << i + 1;
    EXPECT_EQ(dials.back().Get("result"), "691");
    ExpectClientRunsOn();
    EndTheClient();
    EXPECT_EQ(RasCalls("RasDialA").size(), dials.size()) << "a dial after the refused one";
    ExpectSupportLog(
        {"worker The link is lost", "worker Dial 1 since the loss failed: ", "worker Dial 2 since the loss",
         "worker No more dials after ", "dialog Dialog shown: the link is down", "worker Trading client exited"},
        {"pa55", "PA55", "Marigold!"});
}

TEST_F(SupervisedSession, ALongOutageBringsTheDialogBackUntilTheLinkIsRestored) {
    standins.writeScenario("dial.delay_ms=0\n");
    LogIn();
    ASSERT_TRUE(WaitUntil([&] { return !window.visible(); }, kAttemptLimitMs));
    // The trader types into the client, played by a window of this test's.
    HWND client = CreateWindowExA(0, "STATIC", "client", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200, nullptr,
                                  nullptr, nullptr, nullptr);
    ASSERT_NE(client, nullptr);
    auto foreground = [] {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
        return GetForegroundWindow();
    };
    SetForegroundWindow(client);
    ASSERT_TRUE(WaitUntil([&] { return foreground() == client; }, kReactionLimitMs));
    standins.writeScenario("dial.delay_ms=0\ndrop.serial=1\ndial.fail_serial=1\ndial.fail_next=100\n");
    // Over 20 s down: the dialog is back with the outage in its status box,
    // over the client, which keeps the keyboard.
    ASSERT_TRUE(WaitUntil(
        [&] {
            foreground();
            return window.visible();
        },
        kAttemptLimitMs))
        << "the dialog did not come back";
    EXPECT_EQ(foreground(), client) << "the outage took the keyboard from the trading client for "
                                    << (foreground() == window.handle() ? "the dialog" : "another window");
    DestroyWindow(client);
    const std::string shown = Control(IDC_STATUS).text();
    EXPECT_EQ(shown.rfind("VPN link down since ", 0), 0u) << shown;
    EXPECT_NE(shown.find("\r\nDials tried: "), std::string::npos) << shown;
    EXPECT_NE(shown.find("\r\nNext dial in "), std::string::npos) << shown;
    // The gateway is back and the user asks for a dial: the link is restored
    // and the dialog goes again.
    standins.writeScenario("dial.delay_ms=0\ndrop.serial=1\n");
    ASSERT_TRUE(window.post(WM_COMMAND, IDM_TRAY_RECONNECT, 0));
    ASSERT_TRUE(WaitForRouteRuns(10));
    ASSERT_TRUE(WaitUntil([&] { return !window.visible(); }, kAttemptLimitMs)) << "the dialog stayed";
    ExpectClientRunsOn();
    EndTheClient();
    ExpectSupportLog({"worker The link is lost", "worker The link has been down for over 20 s",
                      "dialog Dialog shown: the link is down", "worker Reconnect asked for",
                      "worker The link is restored after an outage of ", "dialog Dialog hidden again"},
                     {"pa55", "PA55", "Marigold!"});
}

TEST_F(SupervisedSession, TheSystemsResumeAndReconnectNowHaveTheLinkCheckedAtOnce) {
    standins.writeScenario("dial.delay_ms=0\n");
    LogIn();
    ASSERT_TRUE(WaitUntil([&] { return !window.visible(); }, kAttemptLimitMs));
    // Explorer started again: the icon comes back.
    ASSERT_TRUE(window.send(RegisterWindowMessageA("TaskbarCreated"), 0, 0));
    ASSERT_TRUE(window.post(WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0));
    ASSERT_TRUE(WaitForSupportLogLine("worker The system resumed: the link is checked at once"));
    // The notification area's "Reconnect now" on a link that RAS still reports
    // as up: hung up, dialled again, its routes back with the new address.
    standins.writeScenario("dial.delay_ms=0\nprojection.client=10.200.41.9\n");
    ASSERT_TRUE(window.post(WM_COMMAND, IDM_TRAY_RECONNECT, 0));
    ASSERT_TRUE(WaitForRouteRuns(10));
    const std::vector<LogLine> dials = RasCalls("RasDialA");
    const std::vector<LogLine> hangUps = RasCalls("RasHangUpA");
    ASSERT_EQ(dials.size(), 2u);
    ASSERT_FALSE(hangUps.empty());
    EXPECT_GT(hangUps.back().Time("time"), dials[0].Time("time"));
    EXPECT_LT(hangUps.back().Time("time"), dials[1].Time("time"));
    const std::vector<LogLine> runs = standins.routeRuns();
    EXPECT_EQ(runs[5].Get("args"), "DELETE 0.0.0.0 10.200.41.9");
    for (size_t i = 5; i < runs.size(); ++i) {
        const std::string args = runs[i].Get("args");
        EXPECT_TRUE(args.size() > 12 && args.compare(args.size() - 12, 12, " 10.200.41.9") == 0) << args;
    }
    ExpectClientRunsOn();
    EndTheClient();
    ExpectSupportLog({"worker The link is watched while the trading client runs", "dialog Notification-area icon ",
                      "dialog Notification-area icon shown again after Explorer's restart",
                      "dialog The system resumed: the worker is asked to check the link",
                      "worker The system resumed: the link is checked at once",
                      "dialog Reconnect now chosen in the notification area",
                      "worker Reconnect asked for by the user: the link is hung up and dialled again",
                      "worker The link is restored after an outage of ", "worker Trading client exited"},
                     {"pa55", "PA55", "Marigold!"});
}

} // namespace
} // namespace e2e
