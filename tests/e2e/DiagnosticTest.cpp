// F8: the diagnostic run with its status area and progress strip, followed by a
// login or ended by Cancel.
// Sockets first: windows.h must not bring in the old sockets header.
#include "LoopbackListener.h"

#include "ProductTest.h"

#include <algorithm>
#include <map>

#include "HighContrastStandIn.h"

#include "MapDialogUnits.h"
#include "Screen.h"

using driver::Keyboard;
using driver::ProductSession;
using driver::Screen;
using driver::ScreenImage;
using driver::WaitUntil;
using driver::Window;

namespace e2e {
namespace {

// The windows of the program for which an out-of-context hook saw a change
// of value; the events arrive as messages of the thread that set the hook.
std::vector<HWND> g_valueChanged;
void CALLBACK RecordValueChange(HWINEVENTHOOK, DWORD, HWND changed, LONG object, LONG child, DWORD, DWORD) {
    if (object == OBJID_CLIENT && child == CHILDID_SELF) g_valueChanged.push_back(changed);
}
bool ValueChangeSeenFor(const Window& box) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    return std::count(g_valueChanged.begin(), g_valueChanged.end(), box.handle()) > 0;
}

class Diagnostic : public ProductTest {
protected:
    void SetUp() override {
        ProductTest::SetUp();
        ASSERT_TRUE(server.listening());
        // What a firm's installer sets: the marker, then host and port.
        const BYTE marker = 0;
        WriteRegistryBinary(SettingsStore::kMarkerValue, &marker, 1);
        WriteRegistryString(SettingsStore::kConfigHostValue, "127.0.0.1");
        WriteRegistryDword(SettingsStore::kConfigPortValue, server.port());
    }

    std::string ExpectedStatus() const {
        return "Client: 10.200.40.23\r\nServer: 10.200.40.1\r\nCfgSvr port ping: Success on 127.0.0.1 " +
               std::to_string(server.port());
    }

    void PressF8() const { ASSERT_TRUE(Keyboard::postKey(Control(IDC_USER_ID), VK_F8)); }

    // A dial that lasts until the test sets the event returned (the caller
    // closes it).
    HANDLE HoldTheDial() {
        const std::string release = "qm-e2e-dial-release-" + std::to_string(GetCurrentProcessId());
        HANDLE dialRelease = CreateEventA(nullptr, TRUE, FALSE, release.c_str());
        standins.writeScenario("dial.delay_ms=" + std::to_string(kAttemptLimitMs) + "\ndial.release_event=" + release +
                               "\n");
        return dialRelease;
    }

    bool WaitForStatus(const std::string& text, DWORD timeoutMs = kAttemptLimitMs) const {
        return WaitUntil([&] { return Control(IDC_STATUS).text() == text; }, timeoutMs);
    }

    bool ClientStarted() const { return !ReadWholeFile(standins.clientLog()).empty(); }

    // Login once the status is shown; the client starts, ends, and so does the program.
    void LogInAndWaitForTheEnd() {
        TypeInto(IDC_USER_ID, "trader");
        TypeInto(IDC_PASSWORD, "pw");
        ASSERT_TRUE(WaitUntil([&] { return Control(IDOK).enabled(); }, kReactionLimitMs));
        ASSERT_TRUE(Control(IDOK).click());
        EXPECT_TRUE(WaitUntil([&] { return ClientStarted(); }, kAttemptLimitMs));
        EXPECT_TRUE(product.waitForExit(kAttemptLimitMs));
    }

    // Wine's own libraries win over files beside a program unless its
    // per-program overrides say otherwise; these make it search as Windows
    // does, or (an empty value) refuse a library, for QuillmarshVPN.exe only.
    void OverrideLibraries(const std::vector<std::pair<std::string, std::string>>& overrides) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kProgramOverrides, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                                  nullptr),
                  ERROR_SUCCESS);
        for (const auto& [library, how] : overrides)
            RegSetValueExA(key, library.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(how.c_str()),
                           static_cast<DWORD>(how.size() + 1));
        RegCloseKey(key);
    }

    void TearDown() override {
        ProductTest::TearDown();
        RegDeleteKeyA(HKEY_CURRENT_USER, kProgramOverrides);
    }

    static constexpr const char* kProgramOverrides = "Software\\Wine\\AppDefaults\\QuillmarshVPN.exe\\DllOverrides";
    LoopbackListener server;
};

TEST_F(Diagnostic, F8ShowsTunnelAndProbeThenLoginStartsTheClient) {
    standins.writeScenario("dial.delay_ms=300\n");
    StartProduct({{"QM_CLIENT_EXIT_AFTER_MS", "500"}});
    const RECT compact = window.windowRect();
    const RECT login = Control(IDOK).rectInParent();
    const RECT cancel = Control(IDCANCEL).rectInParent();

    // A screen reader hears of each text the program puts into the status box.
    g_valueChanged.clear();
    HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_VALUECHANGE, EVENT_OBJECT_VALUECHANGE, nullptr, RecordValueChange,
                                         product.processId(), 0, WINEVENT_OUTOFCONTEXT);
    EXPECT_NE(hook, nullptr);
    PressF8();
    ASSERT_TRUE(WaitForStatus(ExpectedStatus())) << Control(IDC_STATUS).text();
    EXPECT_TRUE(WaitUntil([&] { return ValueChangeSeenFor(Control(IDC_STATUS)); }, kReactionLimitMs));
    if (hook) UnhookWinEvent(hook);
    EXPECT_TRUE(Control(IDC_STATUS).visible());
    const RECT grown = window.windowRect();
    EXPECT_EQ(grown.bottom - grown.top, compact.bottom - compact.top + kLayoutShift);
    EXPECT_EQ(grown.top, compact.top);
    EXPECT_EQ(Control(IDOK).rectInParent().top, login.top + kLayoutShift);
    EXPECT_EQ(Control(IDCANCEL).rectInParent().top, cancel.top + kLayoutShift);
    EXPECT_TRUE(Control(IDCANCEL).enabled());

    // The status box keeps the firm's colour and cannot be typed into.
    const RECT status = Control(IDC_STATUS).rectInParent();
    const RECT client = window.clientRectOnScreen();
    EXPECT_TRUE(WaitUntil(
        [&] {
            return Screen::pixel(client.left + status.right - 20, client.top + status.bottom - 4) == kStatusBackground;
        },
        kReactionLimitMs));
    EXPECT_TRUE(Control(IDC_STATUS).style() & ES_READONLY);
    SaveScreenshot("diagnostic");

    ASSERT_NO_FATAL_FAILURE(LogInAndWaitForTheEnd());
    EXPECT_EQ(CountRasCalls("RasDialA"), 1);
    EXPECT_EQ(CountRasCalls("RasHangUpA"), 1);
    const std::string port = std::to_string(server.port());
    ExpectSupportLog(
        {"dialog Configuration server host 127.0.0.1 (from the registry), port " + port + " (from the registry)",
         "dialog F8 pressed", "worker Diagnostic connection starts", "worker Dial connected",
         "worker Tunnel addresses: client 10.200.40.23, server 10.200.40.1",
         "worker Configuration server 127.0.0.1 port " + port + " probed: Success on 127.0.0.1 " + port,
         "dialog Login pressed, user ID TRADER", "worker Credentials arrived for user ID TRADER",
         "worker Trading client " + InstalledClientPath() + " started", "worker Hung up", "dialog Quillmarsh VPN ends"},
        {"pw", "PW", "Marigold!"});
}

TEST_F(Diagnostic, CancelWhileWaitingEndsTheProgramAfterTheHangUp) {
    standins.writeScenario("dial.delay_ms=0\nhangup.polls=5\n");
    StartProduct();
    PressF8();
    ASSERT_TRUE(WaitForStatus(ExpectedStatus()));
    ASSERT_TRUE(Control(IDCANCEL).click());
    ASSERT_TRUE(product.waitForExit(kAttemptLimitMs));
    EXPECT_EQ(CountRasCalls("RasHangUpA"), 1);
    EXPECT_FALSE(ClientStarted());
}

// F8, then Login while the diagnostic dial still runs: from then on Cancel,
// Esc, Close and an IDCANCEL from anywhere, before the status texts show,
// after, and while the client runs, leave the program to the client's end and
// the hang-up after it.
TEST_F(Diagnostic, LoginDuringTheDialLeavesNothingToCloseTheProgramBeforeItsHangUp) {
    standins.writeScenario("dial.delay_ms=800\n");
    StartProduct();
    PressF8();
    TypeInto(IDC_USER_ID, "trader");
    TypeInto(IDC_PASSWORD, "pw");
    ASSERT_TRUE(WaitUntil([&] { return Control(IDOK).enabled(); }, kReactionLimitMs));
    ASSERT_TRUE(Control(IDOK).click());
    ASSERT_TRUE(WaitUntil([&] { return !Control(IDCANCEL).enabled(); }, kReactionLimitMs));
    auto tryToClose = [&] {
        EXPECT_FALSE(Control(IDCANCEL).enabled());
        EXPECT_TRUE(window.post(WM_COMMAND, IDCANCEL, 0));
        EXPECT_TRUE(window.post(WM_CLOSE, 0, 0));
        EXPECT_TRUE(Keyboard::postKey(Control(IDC_USER_ID), VK_ESCAPE));
    };
    tryToClose();
    ASSERT_TRUE(WaitForStatus(ExpectedStatus())) << Control(IDC_STATUS).text();
    tryToClose();
    ASSERT_TRUE(WaitUntil([&] { return ClientStarted(); }, kAttemptLimitMs));
    tryToClose();
    Sleep(500);
    EXPECT_TRUE(product.running());
    EXPECT_EQ(CountRasCalls("RasHangUpA"), 0);

    standins.releaseClient();
    ASSERT_TRUE(product.waitForExit(kAttemptLimitMs));
    EXPECT_EQ(CountRasCalls("RasDialA"), 1);
    EXPECT_EQ(CountRasCalls("RasHangUpA"), 1);
    ExpectSupportLog({"dialog F8 pressed", "dialog Login pressed, user ID TRADER",
                      "worker Credentials arrived for user ID TRADER", "worker Trading client exited", "worker Hung up",
                      "dialog Quillmarsh VPN ends"},
                     {"pw", "PW", "Marigold!"});
}

TEST_F(Diagnostic, F8WhileAWorkerIsHeldDoesNothing) {
    standins.writeScenario("dial.delay_ms=1500\n");
    StartProduct();
    PressF8();
    Sleep(200);
    PressF8();
    ASSERT_TRUE(WaitForStatus(ExpectedStatus()));
    PressF8();
    Sleep(500);
    EXPECT_EQ(Control(IDC_STATUS).text(), ExpectedStatus());
    EXPECT_EQ(CountRasCalls("RasDialA"), 1);
}

TEST_F(Diagnostic, F8AfterAFailedRunAppendsBelowTheEarlierTexts) {
    standins.writeScenario("dial.delay_ms=0\n");
    const std::string client = InstalledClientPath();
    const std::string away = client + ".away";
    ASSERT_TRUE(MoveFileA(client.c_str(), away.c_str()));
    StartProduct();
    PressF8();
    ASSERT_TRUE(WaitForStatus(ExpectedStatus()));
    TypeInto(IDC_USER_ID, "u");
    TypeInto(IDC_PASSWORD, "p");
    ASSERT_TRUE(WaitUntil([&] { return Control(IDOK).enabled(); }, kReactionLimitMs));
    ASSERT_TRUE(Control(IDOK).click());
    Window box = product.waitForMessageBox("VPN Connection Error   ", kAttemptLimitMs);
    MoveFileA(away.c_str(), client.c_str());
    ASSERT_TRUE(box);
    ASSERT_TRUE(box.child(IDOK).click());
    ASSERT_TRUE(WaitUntil([&] { return Control(IDCANCEL).enabled(); }, kReactionLimitMs));

    const RECT before = window.windowRect();
    PressF8();
    EXPECT_TRUE(WaitForStatus(ExpectedStatus() + ExpectedStatus()));
    // The area was revealed once and stays as it is.
    const RECT after = window.windowRect();
    EXPECT_EQ(after.bottom - after.top, before.bottom - before.top);
    EXPECT_EQ(CountRasCalls("RasDialA"), 2);
}

// The strip goes 132 up to 138 and back down, one frame a tick, and ticks come
// no faster than every 150 ms. So the n-th tick shows kCycle[(n - 1) % 12], and
// by t ms after F8 at most t / 150 ticks (one more for the timer's rounding)
// can have come. Each frame seen is placed at the earliest tick after the
// previous one that shows it; a frame out of order needs a tick that cannot
// have come yet.
void ExpectFramesInCycleOrder(const std::vector<std::pair<int, DWORD>>& seen) {
    const int kCycle[] = {IDB_PROGRESS_FIRST, IDB_PROGRESS_2, IDB_PROGRESS_3,    IDB_PROGRESS_4,
                          IDB_PROGRESS_5,     IDB_PROGRESS_6, IDB_PROGRESS_LAST, IDB_PROGRESS_6,
                          IDB_PROGRESS_5,     IDB_PROGRESS_4, IDB_PROGRESS_3,    IDB_PROGRESS_2};
    const int kPeriodMs = 150;
    int tick = 0;
    std::string sequence;
    for (const auto& [frame, at] : seen) {
        sequence += " " + std::to_string(frame) + "@" + std::to_string(at) + "ms";
        int next = tick + 1;
        while (next <= tick + 12 && kCycle[(next - 1) % 12] != frame) ++next;
        ASSERT_LE(next, tick + 12) << "not a frame of the strip:" << sequence;
        EXPECT_LE(next, static_cast<int>(at) / kPeriodMs + 1) << "out of the cycle's order:" << sequence;
        tick = next;
    }
}

TEST_F(Diagnostic, StripRunsThroughTheFramesAndIsGoneAfterReady) {
    Frames frames;
    ASSERT_TRUE(frames.complete());
    standins.writeScenario("dial.delay_ms=7000\n");
    StartProduct();
    const DWORD pressed = GetTickCount();
    PressF8();

    // Every frame change the screen shows while the dial takes its time, with
    // the time its capture had ended. A busy sampler misses frames; that is no
    // failure, but each frame it sees must fit the cycle where it is seen.
    std::vector<std::pair<int, DWORD>> seen;
    while (GetTickCount() - pressed < 6000 && seen.size() < 16) {
        const int frame = frames.identify(CaptureStrip());
        if (frame != 0 && (seen.empty() || seen.back().first != frame))
            seen.push_back({frame, GetTickCount() - pressed});
        Sleep(10);
    }
    ASSERT_GE(seen.size(), 2u) << "the strip moves";
    ExpectFramesInCycleOrder(seen);

    ASSERT_TRUE(WaitForStatus(ExpectedStatus()));
    // After the ready notification the background paints over the last frame
    // and no tick draws another.
    EXPECT_TRUE(WaitUntil([&] { return frames.identify(CaptureStrip()) == 0; }, kReactionLimitMs));
    Sleep(400);
    EXPECT_EQ(frames.identify(CaptureStrip()), 0);
}

// A move to a monitor of another scale while the strip runs, and again with
// the status area shown: the strip goes on at its place at the new scale, and
// the status area grows the window and moves the buttons by its scaled height.
TEST_F(Diagnostic, AMoveToAnotherScaleKeepsTheStripAndTheStatusAreaInProportion) {
    Frames atDouble(IDB_PROGRESS_200_FIRST), atSingle;
    ASSERT_TRUE(atDouble.complete() && atSingle.complete());
    HANDLE dialRelease = HoldTheDial();
    StartProduct();
    PressF8();
    EXPECT_TRUE(WaitUntil([&] { return atSingle.identify(CaptureStrip()) != 0; }, kReactionLimitMs));

    ASSERT_TRUE(SendDpiChanged(192));
    EXPECT_TRUE(WaitUntil([&] { return atDouble.identify(CaptureStrip(192)) != 0; }, kReactionLimitMs))
        << "the strip runs at its place at 200 %";
    const RECT compact = window.windowRect();
    const RECT login = Control(IDOK).rectInParent();
    SetEvent(dialRelease);
    ASSERT_TRUE(WaitForStatus(ExpectedStatus()));
    const RECT grown = window.windowRect();
    EXPECT_EQ(grown.bottom - grown.top, compact.bottom - compact.top + MulDiv(kLayoutShift, 192, 96));
    EXPECT_EQ(Control(IDOK).rectInParent().top, login.top + MulDiv(kLayoutShift, 192, 96));

    // Back at 100 % with the status shown: the template's own layout.
    ASSERT_TRUE(SendDpiChanged(96));
    RECT status, full;
    ASSERT_TRUE(driver::MapDialogUnits(window, 6, 89, 190, 39, status));
    ASSERT_TRUE(driver::MapDialogUnits(window, 0, 0, 203, 147, full));
    const RECT shown = Control(IDC_STATUS).rectInParent();
    EXPECT_TRUE(EqualRect(&status, &shown))
        << shown.left << "," << shown.top << " " << shown.right << "," << shown.bottom;
    EXPECT_EQ(window.clientRect().bottom, full.bottom);
    CloseHandle(dialRelease);
}

// With the client area's animations turned off, the strip holds one frame
// while the dial runs: every tick draws it again, never the next.
TEST_F(Diagnostic, WithAnimationsOffTheStripHoldsOneFrameUntilReady) {
    const UINT kSetClientAreaAnimation = 0x1043; // SPI_SETCLIENTAREAANIMATION
    Frames frames;
    ASSERT_TRUE(frames.complete());
    ASSERT_TRUE(SystemParametersInfoA(kSetClientAreaAnimation, 0, reinterpret_cast<void*>(FALSE), 0));
    // The setting is the whole session's: back on however the test ends, or
    // every later strip test in this prefix would see a still strip.
    struct AnimationsBackOn {
        UINT action;
        ~AnimationsBackOn() { SystemParametersInfoA(action, 0, reinterpret_cast<void*>(TRUE), 0); }
    } animationsBackOn{kSetClientAreaAnimation};
    HANDLE dialRelease = HoldTheDial();
    StartProduct();
    PressF8();
    EXPECT_TRUE(WaitUntil([&] { return frames.identify(CaptureStrip()) == IDB_PROGRESS_4; }, kReactionLimitMs));
    for (int tick = 0; tick < 3; ++tick) {
        ASSERT_TRUE(window.send(WM_TIMER, kAnimationTimer, 0));
        EXPECT_EQ(frames.identify(CaptureStrip()), IDB_PROGRESS_4) << "after tick " << tick;
    }
    SetEvent(dialRelease);
    ASSERT_TRUE(WaitForStatus(ExpectedStatus()));
    EXPECT_TRUE(WaitUntil([&] { return frames.identify(CaptureStrip()) == 0; }, kReactionLimitMs));
    CloseHandle(dialRelease);
}

// High contrast on, as the stand-in tells the running program, in a dark
// theme's colours: every part the program paints takes the system's colours,
// the connecting text too, and the firm's come back when it goes off.
TEST_F(Diagnostic, HighContrastPaintsInTheSystemColoursAndOffInTheFirms) {
    standins.writeScenario("dial.delay_ms=0\n");
    StartProduct();
    HANDLE highContrast = CreateEventA(nullptr, TRUE, FALSE, kHighContrastOnEvent);
    ASSERT_TRUE(LoadIntoProgram(kHighContrastStandIn));
    PressF8();
    ASSERT_TRUE(WaitForStatus(ExpectedStatus()));
    const RECT client = window.clientRectOnScreen();
    // Whether any pixel of this part of the client area shows the colour.
    auto shows = [&](const RECT& part, COLORREF colour) {
        const ScreenImage image = Screen::capture(
            RECT{client.left + part.left, client.top + part.top, client.left + part.right, client.top + part.bottom});
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixel(x, y) == colour) return true;
        return false;
    };
    // The dialog, a label's rectangle beyond its text, the two boxes and the status box.
    auto expectColours = [&](COLORREF background, COLORREF edit, COLORREF status) {
        const RECT label = window.children()[1].rectInParent();
        std::vector<std::pair<POINT, COLORREF>> wanted = {{{2, 2}, background},
                                                          {{label.right - 1, label.bottom - 1}, background}};
        for (int id : {IDC_USER_ID, IDC_PASSWORD, IDC_STATUS}) {
            const RECT r = Control(id).rectInParent();
            wanted.push_back({{r.right - 20, r.bottom - 4}, id == IDC_STATUS ? status : edit});
        }
        for (const auto& [at, colour] : wanted)
            EXPECT_TRUE(WaitUntil(
                [&] {
                    return shows(RECT{at.x, at.y, at.x + 1, at.y + 1}, colour);
                },
                kReactionLimitMs))
                << at.x << "," << at.y << " not " << std::hex << colour;
    };
    SetEvent(highContrast);
    ASSERT_TRUE(window.send(WM_SYSCOLORCHANGE, 0, 0));
    expectColours(kThemeFace, kThemeWindow, kThemeWindow);
    EXPECT_TRUE(shows(Control(IDC_STATUS).rectInParent(), kThemeWindowText)) << "the status text";
    SaveScreenshot("high-contrast");
    ResetEvent(highContrast);
    ASSERT_TRUE(window.send(WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, 0));
    expectColours(kBackground, kWhite, kStatusBackground);

    SetEvent(highContrast);
    ASSERT_TRUE(window.send(WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, 0));
    TypeInto(IDC_USER_ID, "trader");
    TypeInto(IDC_PASSWORD, "pw");
    ASSERT_TRUE(WaitUntil([&] { return Control(IDOK).enabled(); }, kReactionLimitMs));
    ASSERT_TRUE(WaitUntil([&] { return !GetUpdateRect(window.handle(), nullptr, FALSE); }, kReactionLimitMs));
    ASSERT_TRUE(Control(IDOK).click());
    // Drawn between paints, the text is the dialog's description meanwhile.
    EXPECT_TRUE(WaitUntil([&] { return shows(RECT{66, 127, 226, 140}, kThemeFaceText); }, kReactionLimitMs));
    EXPECT_EQ(AccessibleDescription(window), "CONNECTING TO NETWORK ...");
    // A client started after the test's end would miss its quit event.
    EXPECT_TRUE(WaitUntil([&] { return ClientStarted(); }, kAttemptLimitMs));
    CloseHandle(highContrast);
}

TEST_F(Diagnostic, StripStopsWhenTheRunFails) {
    Frames frames;
    ASSERT_TRUE(frames.complete());
    standins.writeScenario("dial.delay_ms=800\ndial.result=691\n");
    StartProduct();
    PressF8();
    Window box = product.waitForMessageBox("VPN Connection Error   ", kAttemptLimitMs);
    ASSERT_TRUE(box);
    EXPECT_EQ(box.child(0xFFFF).text(), "RasDial QuillMarsh Professional Trading failed error=691");
    ASSERT_TRUE(box.child(IDOK).click());
    ASSERT_TRUE(ProductSession::waitForGone(box, kReactionLimitMs));
    EXPECT_TRUE(WaitUntil([&] { return frames.identify(CaptureStrip()) == 0; }, kReactionLimitMs));
    Sleep(400);
    EXPECT_EQ(frames.identify(CaptureStrip()), 0);
    // No status came, so the dialog stays compact.
    EXPECT_FALSE(Control(IDC_STATUS).visible());
}

// Files named as the libraries and the tool the program takes from the system
// folder, beside it and in its current folder, where the standard search would
// find them first: a login and an F8 run behave as without them, and none is
// loaded or run.
TEST_F(Diagnostic, MarkersBesideTheProgramAndInItsCurrentFolderAreNeitherLoadedNorRun) {
    standins.writeScenario("dial.delay_ms=0\n");
    const std::string home = TestFile("program"), current = TestFile("current");
    for (const std::string& folder : {home, current}) {
        CreateDirectoryA(folder.c_str(), nullptr);
        for (const char* library : {"rasapi32.dll", "comctl32.dll", "wsock32.dll"})
            ASSERT_TRUE(CopyFileA(ProductSession::BesideTestProgram("marker.dll").c_str(),
                                  (folder + "\\" + library).c_str(), FALSE));
        ASSERT_TRUE(CopyFileA(ProductSession::BesideTestProgram("marker.exe").c_str(), (folder + "\\route.exe").c_str(),
                              FALSE));
    }
    ASSERT_TRUE(CopyFileA(ProductSession::BesideTestProgram(ProductSession::kProgramName).c_str(),
                          (home + "\\" + ProductSession::kProgramName).c_str(), FALSE));
    OverrideLibraries({{"rasapi32", "native,builtin"}, {"comctl32", "native,builtin"}, {"wsock32", "native,builtin"}});

    ProductSession::Options options;
    options.program = home + "\\" + ProductSession::kProgramName;
    options.currentDirectory = current;
    options.environment = standins.environment();
    options.environment.push_back({"QM_MARKER_LOG", TestFile("marker.log")});
    options.environment.push_back({"QM_CLIENT_EXIT_AFTER_MS", "500"});
    ASSERT_TRUE(product.start(options)) << "CreateProcess error " << product.lastError();
    window = product.waitForWindow();
    ASSERT_TRUE(window);
    PressF8();
    ASSERT_TRUE(WaitForStatus(ExpectedStatus())) << Control(IDC_STATUS).text();
    ASSERT_NO_FATAL_FAILURE(LogInAndWaitForTheEnd());

    EXPECT_EQ(ReadWholeFile(TestFile("marker.log")), "") << "a marker was loaded or run";
    EXPECT_EQ(standins.routeRuns().size(), 5u) << "the system's route.exe ran";
    EXPECT_EQ(CountRasCalls("RasHangUpA"), 1);
}

// The probe's socket library cannot be loaded: F8 reports it in the status box
// like any failed probe, the program stays up, and its end hangs the link up.
TEST_F(Diagnostic, AnUnloadableSocketLibraryIsAFailedProbeAndTheLinkIsHungUpAtTheEnd) {
    standins.writeScenario("dial.delay_ms=0\n");
    OverrideLibraries({{"wsock32", ""}});
    StartProduct();
    PressF8();
    const std::string failed = "Client: 10.200.40.23\r\nServer: 10.200.40.1\r\n"
                               "CfgSvr port ping: Failed starting Windows Sockets 1.1, failed error=";
    ASSERT_TRUE(WaitUntil([&] { return Control(IDC_STATUS).text().size() > failed.size(); }, kAttemptLimitMs));
    EXPECT_EQ(Control(IDC_STATUS).text().substr(0, failed.size()), failed) << Control(IDC_STATUS).text();
    EXPECT_TRUE(product.running());
    ASSERT_TRUE(WaitUntil([&] { return Control(IDCANCEL).enabled(); }, kReactionLimitMs));
    ASSERT_TRUE(Control(IDCANCEL).click());
    ASSERT_TRUE(product.waitForExit(kAttemptLimitMs));
    EXPECT_EQ(CountRasCalls("RasHangUpA"), 1);
}

} // namespace
} // namespace e2e
