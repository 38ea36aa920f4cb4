// The driver against the bare dialog manager showing the program's template:
// everything the end-to-end tests rely on (finding, reading, typing, clicking,
// the screen, ending a process) is shown to work here first.
#include <gtest/gtest.h>

#include "FindTopLevelWindow.h"
#include "Keyboard.h"
#include "MapDialogUnits.h"
#include "ProductSession.h"
#include "Screen.h"
#include "SystemFolders.h"
#include "WaitUntil.h"
#include "resource.h"

#include <cstdio>
#include <fstream>
#include <process.h>
#include <string>
#include <vector>

using driver::kAttemptLimitMs;
using driver::Keyboard;
using driver::kReactionLimitMs;
using driver::MapDialogUnits;
using driver::ProductSession;
using driver::Screen;
using driver::WaitUntil;
using driver::Window;

namespace {

constexpr COLORREF kBannerBackground = RGB(107, 132, 115);

RECT Units(int x, int y, int width, int height) { return RECT{x, y, x + width, y + height}; }

std::string Describe(const RECT& r) {
    char text[80];
    std::snprintf(text, sizeof text, "(%ld,%ld)-(%ld,%ld)", r.left, r.top, r.right, r.bottom);
    return text;
}

bool SameRect(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != FALSE; }

class BaselineDialog : public ::testing::Test {
protected:
    void SetUp() override {
        ProductSession::Options options;
        options.program = ProductSession::BesideTestProgram("baseline_dialog.exe");
        ASSERT_TRUE(session.start(options)) << "CreateProcess error " << session.lastError();
        dialog = session.waitForWindow();
        ASSERT_TRUE(dialog) << "no window \"" << ProductSession::kLoginCaption << "\"";
    }

    // The control that has the focus, once the dialog thread reports one. The
    // focus comes with the dialog's activation; on a display shared with what
    // ran before, a dialog may start inactive, and gets it when brought
    // forward, as a user's click would.
    Window WaitForFocus(int id) {
        Window focus;
        auto focused = [&] { return (focus = Keyboard::focus(dialog)) && focus.id() == id; };
        if (WaitUntil(focused, kReactionLimitMs / 4)) return focus;
        if (!Keyboard::focus(dialog)) Keyboard::bringForward(dialog);
        WaitUntil(focused, kReactionLimitMs);
        return focus;
    }

    ProductSession session;
    Window dialog;
};

TEST_F(BaselineDialog, FindsTheDialogOfItsProcessByCaption) {
    EXPECT_EQ(dialog.processId(), session.processId());
    EXPECT_EQ(dialog.className(), "#32770");
    EXPECT_EQ(dialog.text(), ProductSession::kLoginCaption);
    EXPECT_TRUE(session.running());

    const LONG style = dialog.style();
    EXPECT_EQ(style & (WS_POPUP | WS_CAPTION | WS_VISIBLE), WS_POPUP | WS_CAPTION | WS_VISIBLE);
    EXPECT_EQ(style & (WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0);
    const LONG exStyle = dialog.exStyle();
    const LONG wanted = WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_CLIENTEDGE | WS_EX_APPWINDOW;
    EXPECT_EQ(exStyle & wanted, wanted) << std::hex << exStyle;

    // No other process's windows are taken for it.
    EXPECT_FALSE(driver::FindTopLevelWindow(GetCurrentProcessId(), nullptr, ProductSession::kLoginCaption));
}

TEST_F(BaselineDialog, ReadsTheControlsInTemplateOrder) {
    struct Expected {
        int id;
        const char* className;
        const char* text; // null for the bitmap
        int x, y, width, height;
        LONG style;
        LONG exStyle;
    };
    // The dialog manager gives a bordered edit of a 3-D dialog the sunken client
    // edge instead of its plain border.
    const LONG edit = WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_LEFT;
    const std::vector<Expected> expected = {
        {-1, "Static", "User ID", 55, 52, 24, 8, WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT, 0},
        {-1, "Static", "Password", 55, 64, 30, 8, WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT, 0},
        {IDC_PASSWORD, "Edit", "", 90, 63, 49, 12, edit | ES_PASSWORD | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE},
        {IDC_USER_ID, "Edit", "", 90, 50, 49, 12, edit | ES_UPPERCASE | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE},
        {IDOK, "Button", "Login", 90, 131, 50, 13, WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON, 0},
        {IDCANCEL, "Button", "Cancel", 147, 132, 50, 11, WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 0},
        {-1, "Static", nullptr, 6, 6, 189, 33, WS_CHILD | WS_VISIBLE | SS_BITMAP | SS_REALSIZEIMAGE, 0},
        {IDC_STATUS, "Edit", "", 6, 89, 190, 39, edit | WS_VSCROLL | ES_MULTILINE | ES_READONLY, WS_EX_CLIENTEDGE},
    };
    std::vector<Window> controls = dialog.children();
    ASSERT_EQ(controls.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        const Expected& want = expected[i];
        SCOPED_TRACE("control " + std::to_string(i + 1));
        const Window& control = controls[i];
        EXPECT_EQ(control.id(), want.id);
        EXPECT_EQ(
            CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, control.className().c_str(), -1, want.className, -1),
            CSTR_EQUAL)
            << control.className();
        EXPECT_EQ(control.style() & ~WS_BORDER, want.style) << std::hex << control.style();
        EXPECT_EQ(control.exStyle() & WS_EX_CLIENTEDGE, want.exStyle) << std::hex << control.exStyle();
        RECT placed{};
        ASSERT_TRUE(MapDialogUnits(dialog, want.x, want.y, want.width, want.height, placed));
        RECT actual = control.rectInParent();
        if (want.text == nullptr) {
            // The bitmap control takes the picture's own size, 284 x 54.
            LRESULT image = 0;
            EXPECT_TRUE(control.send(STM_GETIMAGE, IMAGE_BITMAP, 0, &image));
            EXPECT_NE(image, 0);
            placed.right = placed.left + 284;
            placed.bottom = placed.top + 54;
        } else {
            EXPECT_EQ(control.text(), want.text);
        }
        EXPECT_TRUE(SameRect(actual, placed)) << Describe(actual) << " vs " << Describe(placed);
    }
}

TEST_F(BaselineDialog, ClientAreaIsTheTemplateSizeInPixels) {
    RECT size = Units(0, 0, 203, 147);
    ASSERT_TRUE(MapDialogUnits(dialog, size));
    RECT client = dialog.clientRect();
    EXPECT_EQ(client.right, size.right);
    EXPECT_EQ(client.bottom, size.bottom);
}

TEST_F(BaselineDialog, ReadsTheWindowIcons) {
    if (RunningUnderWine()) GTEST_SKIP() << "Wine does not answer WM_GETICON from another process";
    EXPECT_TRUE(dialog.icon(ICON_BIG) != nullptr);
    EXPECT_TRUE(dialog.icon(ICON_SMALL) != nullptr);
}

TEST_F(BaselineDialog, FocusStartsOnThePasswordAndTabFollowsTheTemplate) {
    Window password = dialog.child(IDC_PASSWORD);
    Window user = dialog.child(IDC_USER_ID);
    Window status = dialog.child(IDC_STATUS);
    EXPECT_EQ(WaitForFocus(IDC_PASSWORD), password);

    EXPECT_EQ(dialog.nextTabItem(password), user);
    EXPECT_EQ(dialog.nextTabItem(user), status);
    EXPECT_EQ(dialog.nextTabItem(status), password);
    EXPECT_EQ(dialog.nextTabItem(password, true), status);

    // Keys go to the active dialog, as the user's would.
    Keyboard::bringForward(dialog);
    ASSERT_TRUE(Keyboard::postKey(password, VK_TAB));
    EXPECT_EQ(WaitForFocus(IDC_USER_ID), user);
}

TEST_F(BaselineDialog, PostedTypingReachesTheFocusedEdit) {
    Window password = WaitForFocus(IDC_PASSWORD);
    ASSERT_TRUE(password);
    ASSERT_TRUE(Keyboard::postText(password, "secret"));
    EXPECT_TRUE(WaitUntil([&] { return password.text() == "secret"; }, kReactionLimitMs)) << password.text();

    ASSERT_TRUE(Keyboard::postKey(password, VK_TAB));
    Window user = WaitForFocus(IDC_USER_ID);
    ASSERT_TRUE(user);
    ASSERT_TRUE(Keyboard::postText(user, "trader 7"));
    EXPECT_TRUE(WaitUntil([&] { return user.text() == "TRADER 7"; }, kReactionLimitMs)) << user.text();
}

TEST_F(BaselineDialog, SetTextIsReadBack) {
    Window status = dialog.child(IDC_STATUS);
    const std::string text = "Client 10.0.0.2\r\nServer 10.0.0.1\r\n";
    ASSERT_TRUE(status.setText(text));
    EXPECT_EQ(status.text(), text);
}

TEST_F(BaselineDialog, ClickingCancelEndsTheDialogWithItsIdentifier) {
    ASSERT_TRUE(dialog.child(IDCANCEL).click());
    DWORD code = 0;
    ASSERT_TRUE(session.waitForExit(kAttemptLimitMs, &code));
    EXPECT_EQ(code, static_cast<DWORD>(IDCANCEL));
    EXPECT_TRUE(ProductSession::waitForGone(dialog, 1000));
}

TEST_F(BaselineDialog, DisabledButtonCannotBeClicked) {
    Window login = dialog.child(IDOK);
    EnableWindow(login.handle(), FALSE);
    ASSERT_TRUE(WaitUntil([&] { return !login.enabled(); }, kReactionLimitMs));
    EXPECT_FALSE(login.click());
    EXPECT_FALSE(session.waitForExit(300));
    EnableWindow(login.handle(), TRUE);
    ASSERT_TRUE(login.click());
    DWORD code = 0;
    ASSERT_TRUE(session.waitForExit(kAttemptLimitMs, &code));
    EXPECT_EQ(code, static_cast<DWORD>(IDOK));
}

TEST_F(BaselineDialog, PostedEnterPressesTheDefaultButton) {
    Window focus = WaitForFocus(IDC_PASSWORD);
    ASSERT_TRUE(focus);
    ASSERT_TRUE(Keyboard::postKey(focus, VK_RETURN));
    DWORD code = 0;
    ASSERT_TRUE(session.waitForExit(kAttemptLimitMs, &code));
    EXPECT_EQ(code, static_cast<DWORD>(IDOK));
}

TEST_F(BaselineDialog, RealInputReachesTheForegroundDialog) {
    ASSERT_TRUE(WaitForFocus(IDC_PASSWORD));
    ASSERT_TRUE(Keyboard::bringForward(dialog)) << "foreground is " << GetForegroundWindow();
    ASSERT_TRUE(Keyboard::sendText(dialog, "pw1"));
    Window password = dialog.child(IDC_PASSWORD);
    EXPECT_TRUE(WaitUntil([&] { return password.text() == "pw1"; }, kReactionLimitMs)) << password.text();
    ASSERT_TRUE(Keyboard::sendKey(dialog, VK_TAB));
    EXPECT_TRUE(WaitForFocus(IDC_USER_ID));
    ASSERT_TRUE(Keyboard::sendText(dialog, "ab"));
    EXPECT_TRUE(WaitUntil([&] { return dialog.child(IDC_USER_ID).text() == "AB"; }, kReactionLimitMs))
        << dialog.child(IDC_USER_ID).text();
}

TEST_F(BaselineDialog, ScreenShowsTheBannerAndSavesAScreenshot) {
    Window banner = dialog.children().at(6);
    RECT onScreen = banner.windowRect();
    // The banner's corner is the dialog's background colour by design.
    COLORREF corner = CLR_INVALID;
    WaitUntil([&] { return (corner = Screen::pixel(onScreen.left + 1, onScreen.top + 1)) == kBannerBackground; },
              kReactionLimitMs);
    EXPECT_EQ(corner, kBannerBackground) << std::hex << corner;

    driver::ScreenImage image = Screen::capture(dialog.windowRect());
    ASSERT_FALSE(image.empty());
    RECT window = dialog.windowRect();
    EXPECT_EQ(image.width(), window.right - window.left);
    EXPECT_EQ(image.pixel(onScreen.left - window.left + 1, onScreen.top - window.top + 1), kBannerBackground);

    char folder[MAX_PATH] = "";
    ASSERT_NE(GetTempPathA(sizeof folder, folder), 0u);
    const std::string path = std::string(folder) + "driver-screenshot.bmp";
    ASSERT_TRUE(Screen::saveWindow(dialog, path));
    std::ifstream file(path, std::ios::binary);
    char magic[2] = {};
    file.read(magic, 2);
    EXPECT_EQ(std::string(magic, 2), "BM");
    file.seekg(0, std::ios::end);
    EXPECT_EQ(static_cast<long>(file.tellg()),
              54L + ((image.width() * 3 + 3) & ~3) * static_cast<long>(image.height()));
    file.close();
    DeleteFileA(path.c_str());
}

TEST_F(BaselineDialog, CloseEndsTheProcessByItsHandle) {
    const DWORD pid = session.processId();
    EXPECT_FALSE(session.close()); // it was still running
    EXPECT_EQ(session.process(), nullptr);
    EXPECT_FALSE(driver::FindTopLevelWindow(pid, nullptr, ProductSession::kLoginCaption).exists());
}

unsigned __stdcall ShowBox(void*) {
    return static_cast<unsigned>(MessageBoxA(nullptr, "Line one    \r\nline two", "Driver Box", MB_OK));
}

TEST(OwnMessageBox, IsFoundByCaptionReadAndDismissed) {
    HANDLE thread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, ShowBox, nullptr, 0, nullptr));
    ASSERT_NE(thread, nullptr);
    Window box;
    ASSERT_TRUE(WaitUntil(
        [&] {
            return (box = driver::FindTopLevelWindow(GetCurrentProcessId(), "#32770", "Driver Box")) && box.visible();
        },
        kReactionLimitMs));
    EXPECT_EQ(box.child(0xFFFF).text(), "Line one    \r\nline two");
    Window ok;
    for (const Window& control : box.children())
        if (control.className() == "Button") ok = control;
    ASSERT_TRUE(ok);
    EXPECT_TRUE(ok.click());
    EXPECT_TRUE(ProductSession::waitForGone(box, kReactionLimitMs));
    ASSERT_EQ(WaitForSingleObject(thread, kAttemptLimitMs), WAIT_OBJECT_0);
    DWORD result = 0;
    GetExitCodeThread(thread, &result);
    EXPECT_EQ(result, static_cast<DWORD>(IDOK));
    CloseHandle(thread);
}

std::string SystemProgram(const char* name) {
    char folder[MAX_PATH] = "";
    GetSystemDirectoryA(folder, sizeof folder);
    return std::string(folder) + "\\" + name;
}

DWORD RunToEnd(const ProductSession::Options& options) {
    ProductSession session;
    EXPECT_TRUE(session.start(options)) << session.lastError();
    DWORD code = 0xFFFFFFFF;
    EXPECT_TRUE(session.waitForExit(kAttemptLimitMs, &code));
    EXPECT_TRUE(session.close()); // it had ended by itself
    return code;
}

TEST(Launch, SetsTheChildsEnvironmentOnTopOfTheTestsOwn) {
    ASSERT_TRUE(SetEnvironmentVariableA("QM_DRIVER_INHERITED", "1"));
    ProductSession::Options options;
    options.program = SystemProgram("cmd.exe");
    options.arguments = "/c exit %QM_DRIVER_INHERITED%%QM_DRIVER_ADDED%";
    // A name that exists already is replaced whatever its case, not added twice.
    options.environment = {{"qm_driver_inherited", "3"}, {"QM_DRIVER_ADDED", "4"}};
    EXPECT_EQ(RunToEnd(options), 34u);
}

TEST(Launch, StartsInTheGivenFolder) {
    char temp[MAX_PATH] = "";
    ASSERT_NE(GetTempPathA(sizeof temp, temp), 0u);
    const std::string folder = std::string(temp) + "qm-driver-launch";
    CreateDirectoryA(folder.c_str(), nullptr);
    std::ofstream(folder + "\\here.txt") << "marker";
    ProductSession::Options options;
    options.program = SystemProgram("cmd.exe");
    options.arguments = "/c if exist here.txt (exit 5) else (exit 6)";
    options.currentDirectory = folder;
    EXPECT_EQ(RunToEnd(options), 5u);
    DeleteFileA((folder + "\\here.txt").c_str());
    RemoveDirectoryA(folder.c_str());
}

TEST(Launch, MissingProgramReportsTheSystemError) {
    ProductSession session;
    ProductSession::Options options;
    options.program = ProductSession::BesideTestProgram("no-such-program.exe");
    EXPECT_FALSE(session.start(options));
    EXPECT_EQ(session.lastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(session.process(), nullptr);
    EXPECT_FALSE(session.waitForWindow(ProductSession::kLoginCaption, 100));
}

TEST(Wait, GivesUpAtItsLimitAfterAskingThere) {
    // Judged by when it asked, not by how long it took: a busy machine only
    // makes it ask less often and return later.
    const DWORD start = GetTickCount();
    std::vector<DWORD> asked;
    EXPECT_FALSE(WaitUntil(
        [&] {
            asked.push_back(GetTickCount() - start);
            return false;
        },
        200));
    ASSERT_GE(asked.size(), 2u) << "asked at once and at the limit";
    EXPECT_GE(asked.back(), 200u) << "the last ask comes at the limit";
}

} // namespace
