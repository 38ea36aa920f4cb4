// The login window as a user first sees it: the template's controls, the
// compact layout without the status box, the colours on the screen.
#include "ProductTest.h"

#include "MapDialogUnits.h"
#include "Screen.h"

using driver::MapDialogUnitsAtDpi;
using driver::Screen;
using driver::WaitUntil;
using driver::Window;

namespace e2e {
namespace {

constexpr size_t kBannerIndex = 6;
constexpr int kBannerWidth = 284;
constexpr int kBannerHeight = 54;

struct TemplateControl {
    int id;
    const char* className;
    const char* text;
    int x, y, width, height;
    LONG style;
};

// The template in its order, which is also the Z order and the tab order.
const TemplateControl kControls[] = {
    {-1, "Static", "User ID", 55, 52, 24, 8, WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT},
    {-1, "Static", "Password", 55, 64, 30, 8, WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT},
    {IDC_PASSWORD, "Edit", "", 90, 63, 49, 12,
     WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_LEFT | ES_PASSWORD | ES_AUTOHSCROLL},
    {IDC_USER_ID, "Edit", "", 90, 50, 49, 12,
     WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_LEFT | ES_UPPERCASE | ES_AUTOHSCROLL},
    {IDOK, "Button", "Login", 90, 131, 50, 13, WS_CHILD | WS_VISIBLE | WS_DISABLED | BS_DEFPUSHBUTTON},
    {IDCANCEL, "Button", "Cancel", 147, 132, 50, 11, WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON},
    {-1, "Static", "", 6, 6, 189, 33, WS_CHILD | WS_VISIBLE | SS_BITMAP | SS_REALSIZEIMAGE},
    {IDC_STATUS, "Edit", "", 6, 89, 190, 39,
     WS_CHILD | WS_BORDER | WS_VSCROLL | WS_TABSTOP | ES_LEFT | ES_MULTILINE | ES_READONLY},
};

bool IsLabel(const TemplateControl& control) { return control.id == -1 && control.text[0] != '\0'; }

std::string Lower(std::string text) {
    if (!text.empty()) CharLowerBuffA(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

class LoginWindow : public ProductTest {
protected:
    void SetUp() override {
        ProductTest::SetUp();
        StartProduct();
    }

    // The colour the screen shows at a point of the dialog's client area.
    COLORREF ClientPixel(int x, int y) const {
        RECT client = window.clientRectOnScreen();
        return Screen::pixel(client.left + x, client.top + y);
    }

    // Waits until what the window paints has reached the screen.
    void WaitForPaint() const {
        WaitUntil([&] { return ClientPixel(2, 2) == kBackground; }, kReactionLimitMs);
    }

    // The compact layout at `dpi`: every control where the dialog manager puts
    // it at that scale, the buttons and the window's bottom the status area
    // higher, and the banner at its scaled size.
    void ExpectCompactLayout(UINT dpi) const {
        const int shift = MulDiv(kLayoutShift, dpi, 96);
        const std::vector<Window> children = window.children();
        ASSERT_EQ(children.size(), std::size(kControls));
        for (size_t i = 0; i < children.size(); ++i) {
            const TemplateControl& want = kControls[i];
            SCOPED_TRACE(std::string("control ") + std::to_string(i) + " \"" + want.text + "\" at " +
                         std::to_string(dpi) + " dpi");
            RECT expected;
            ASSERT_TRUE(MapDialogUnitsAtDpi(window, dpi, want.x, want.y, want.width, want.height, expected));
            if (want.id == IDOK || want.id == IDCANCEL) OffsetRect(&expected, 0, -shift);
            const RECT actual = children[i].rectInParent();
            EXPECT_EQ(actual.left, expected.left);
            EXPECT_EQ(actual.top, expected.top);
            // The banner shows its bitmap at the bitmap's own size.
            if (i == kBannerIndex) {
                EXPECT_EQ(actual.right - actual.left, MulDiv(kBannerWidth, dpi, 96));
                EXPECT_EQ(actual.bottom - actual.top, MulDiv(kBannerHeight, dpi, 96));
            } else {
                int width = expected.right - expected.left;
                // Above 100 % a label holds its text.
                if (IsLabel(want) && dpi != 96) width = std::max(width, driver::TextWidthInDialogFont(dpi, want.text));
                EXPECT_EQ(actual.right - actual.left, width);
                EXPECT_EQ(actual.bottom - actual.top, expected.bottom - expected.top);
            }
        }
        RECT full;
        ASSERT_TRUE(MapDialogUnitsAtDpi(window, dpi, 0, 0, 203, 147, full));
        const RECT client = window.clientRect();
        // As wide as the template, and as the banner with its margin on both sides.
        const RECT banner = children[kBannerIndex].rectInParent();
        EXPECT_EQ(client.right, std::max<LONG>(full.right, banner.left + banner.right));
        EXPECT_EQ(client.bottom, full.bottom - shift);
    }

    // The banner on the screen is the art drawn for the nearest scale at or
    // above `dpi`, pixel for pixel where that art has the banner's size.
    void ExpectBannerArt(UINT dpi, int artId) const {
        SIZE size;
        std::vector<uint32_t> art;
        ASSERT_TRUE(ProgramBitmap(artId, size, art)) << artId;
        ASSERT_EQ(size.cx, MulDiv(kBannerWidth, dpi, 96));
        ASSERT_EQ(size.cy, MulDiv(kBannerHeight, dpi, 96));
        const RECT banner = window.children()[kBannerIndex].windowRect();
        auto differing = [&] {
            driver::ScreenImage shown = Screen::capture(banner);
            if (shown.width() != size.cx || shown.height() != size.cy) return -1;
            int differ = 0;
            for (int y = 0; y < size.cy; ++y)
                for (int x = 0; x < size.cx; ++x) {
                    const COLORREF pixel = shown.pixel(x, y);
                    const uint32_t rgb = (GetRValue(pixel) << 16) | (GetGValue(pixel) << 8) | GetBValue(pixel);
                    if (rgb != art[y * size.cx + x]) ++differ;
                }
            return differ;
        };
        EXPECT_TRUE(WaitUntil([&] { return differing() == 0; }, kReactionLimitMs))
            << differing() << " pixels differ from art " << artId;
    }
};

// The same window started at each display scale that Windows offers a desk.
class LoginWindowAtEachScale : public LoginWindow, public ::testing::WithParamInterface<UINT> {
protected:
    void SetUp() override {
        displayDpi = GetParam();
        LoginWindow::SetUp();
    }
};

// The art for each scale of the suite: 100, 125, 150 and 200 %.
int BannerArtFor(UINT dpi) {
    switch (dpi) {
    case 120:
        return IDB_BANNER_125;
    case 144:
        return IDB_BANNER_150;
    case 192:
        return IDB_BANNER_200;
    default:
        return IDB_BANNER;
    }
}

int FirstFrameFor(UINT dpi) {
    switch (dpi) {
    case 120:
        return IDB_PROGRESS_125_FIRST;
    case 144:
        return IDB_PROGRESS_150_FIRST;
    case 192:
        return IDB_PROGRESS_200_FIRST;
    default:
        return IDB_PROGRESS_FIRST;
    }
}

TEST_F(LoginWindow, HasItsCaptionNoSystemMenuAndTheToolWindowFrame) {
    EXPECT_EQ(window.text(), " Quillmarsh VPN Login");
    EXPECT_EQ(window.className(), "#32770");
    const LONG style = window.style();
    EXPECT_EQ(style & (WS_POPUP | WS_CAPTION | WS_VISIBLE), WS_POPUP | WS_CAPTION | WS_VISIBLE);
    EXPECT_EQ(style & (WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME), 0);
    const LONG wanted = WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_CLIENTEDGE | WS_EX_APPWINDOW;
    EXPECT_EQ(window.exStyle() & wanted, wanted);
}

TEST_F(LoginWindow, CarriesItsIconInBothSizes) {
    HMODULE exe = LoadLibraryExA(driver::ProductSession::BesideTestProgram("QuillmarshVPN.exe").c_str(), nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(exe, nullptr);
    for (int size : {32, 16}) {
        HANDLE icon = LoadImageA(exe, MAKEINTRESOURCEA(IDI_LOGIN_ICON), IMAGE_ICON, size, size, 0);
        EXPECT_NE(icon, nullptr) << size;
        if (icon) DestroyIcon(static_cast<HICON>(icon));
    }
    FreeLibrary(exe);
    // Windows answers WM_GETICON from another process; Wine does not.
    if (RunningUnderWine()) return;
    EXPECT_NE(window.icon(ICON_BIG), nullptr);
    EXPECT_NE(window.icon(ICON_SMALL), nullptr);
}

TEST_P(LoginWindowAtEachScale, IsCentredBeforeItLosesTheStatusArea) {
    RECT work;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    const RECT frame = window.windowRect();
    const int width = frame.right - frame.left;
    const int fullHeight = frame.bottom - frame.top + Scaled(kLayoutShift);
    EXPECT_NEAR(frame.left, work.left + (work.right - work.left - width) / 2, 1);
    // Centred by its template size; the compact layout then takes the status
    // area off the bottom only.
    EXPECT_NEAR(frame.top, work.top + (work.bottom - work.top - fullHeight) / 2, 1);
}

TEST_P(LoginWindowAtEachScale, ShowsTheTemplateControlsInTheCompactLayout) {
    const std::vector<Window> children = window.children();
    ASSERT_EQ(children.size(), std::size(kControls));
    for (size_t i = 0; i < children.size(); ++i) {
        const TemplateControl& want = kControls[i];
        const Window& control = children[i];
        SCOPED_TRACE(std::string("control ") + std::to_string(i) + " \"" + want.text + "\"");
        EXPECT_EQ(control.id(), want.id);
        EXPECT_EQ(Lower(control.className()), Lower(want.className));
        if (want.id != IDC_PASSWORD && i != kBannerIndex) {
            EXPECT_EQ(control.text(), want.text);
        }
        // The dialog manager turns the border of an edit into a sunken edge.
        LONG style = control.style();
        if (control.exStyle() & WS_EX_CLIENTEDGE) style |= WS_BORDER;
        EXPECT_EQ(style & want.style, want.style) << std::hex << control.style();
    }
    ExpectCompactLayout(displayDpi);
    EXPECT_FALSE(Control(IDC_STATUS).visible());
    EXPECT_FALSE(Control(IDOK).enabled());
    EXPECT_TRUE(Control(IDCANCEL).enabled());

    // No two visible controls overlap.
    for (size_t i = 0; i < children.size(); ++i)
        for (size_t j = i + 1; j < children.size(); ++j) {
            if (!children[i].visible() || !children[j].visible()) continue;
            RECT a = children[i].rectInParent(), b = children[j].rectInParent(), both;
            EXPECT_FALSE(IntersectRect(&both, &a, &b)) << "controls " << i << " and " << j;
        }
    // No label is cut, at 100 % as the template has it on Windows (Wine's own
    // font is wider there: docs/wine-differences.md).
    for (size_t i = 0; i < children.size(); ++i) {
        if (!IsLabel(kControls[i]) || (displayDpi == 96 && RunningUnderWine())) continue;
        const RECT shown = children[i].rectInParent();
        EXPECT_LE(driver::TextWidthInDialogFont(displayDpi, kControls[i].text), shown.right - shown.left)
            << kControls[i].text;
    }
}

TEST_F(LoginWindow, TabsFromPasswordToUserIdAndBack) {
    const Window password = Control(IDC_PASSWORD);
    const Window user = Control(IDC_USER_ID);
    EXPECT_EQ(window.nextTabItem(password), user);
    // The hidden status box is no stop.
    EXPECT_EQ(window.nextTabItem(user), password);
}

// The system would name every box after the static text before it in the
// template, "Password" for all three.
TEST_F(LoginWindow, ScreenReadersHearEachBoxByItsOwnName) {
    EXPECT_EQ(AccessibleName(Control(IDC_USER_ID)), "User ID");
    EXPECT_EQ(AccessibleName(Control(IDC_PASSWORD)), "Password");
    EXPECT_EQ(AccessibleName(Control(IDC_STATUS)), "Status");
}

TEST_F(LoginWindow, UserIdShowsUpperCaseAndPasswordMasks) {
    TypeInto(IDC_USER_ID, "trader7");
    EXPECT_TRUE(WaitUntil([&] { return Control(IDC_USER_ID).text() == "TRADER7"; }, kReactionLimitMs))
        << Control(IDC_USER_ID).text();

    LRESULT maskCharacter = 0;
    ASSERT_TRUE(Control(IDC_PASSWORD).send(EM_GETPASSWORDCHAR, 0, 0, &maskCharacter));
    EXPECT_NE(maskCharacter, 0);
}

TEST_P(LoginWindowAtEachScale, PaintsTheFirmsColoursWithoutBlackBehindTheLabels) {
    WaitForPaint();
    EXPECT_EQ(ClientPixel(2, 2), kBackground);
    const RECT client = window.clientRect();
    EXPECT_EQ(ClientPixel(client.right - 3, client.bottom - 3), kBackground);

    // Inside the boxes, away from their borders and text.
    for (int id : {IDC_USER_ID, IDC_PASSWORD}) {
        const RECT box = Control(id).rectInParent();
        const int x = box.right - 5, y = (box.top + box.bottom) / 2;
        EXPECT_TRUE(WaitUntil([&] { return ClientPixel(x, y) == kWhite; }, kReactionLimitMs))
            << id << ": " << std::hex << ClientPixel(x, y);
    }
    // The label rectangles beyond their text show the dialog's colour.
    for (const Window& label : window.children()) {
        if (label.id() != -1 || label.text().empty()) continue;
        const RECT r = label.rectInParent();
        EXPECT_EQ(ClientPixel(r.right - 1, r.bottom - 1), kBackground) << label.text();
    }
    // The banner's edges blend into the background.
    const RECT banner = window.children()[kBannerIndex].rectInParent();
    EXPECT_EQ(ClientPixel(banner.left + 1, banner.top + 1), kBackground);
    ExpectBannerArt(displayDpi, BannerArtFor(displayDpi));
    SaveScreenshot(displayDpi == 96 ? "login" : ("login-" + std::to_string(displayDpi * 100 / 96)).c_str());
}

// A tick of the animation's timer, as F8 starts it, draws the frame drawn for
// the scale at the strip's scaled place, inside the client area. The strip is
// drawn between paints, so a paint of the dialog after a tick wipes it until
// the next one: the test ticks again on every look, as the timer would.
TEST_P(LoginWindowAtEachScale, DrawsTheStripAtItsScaledPlaceInsideTheWindow) {
    Frames frames(FirstFrameFor(displayDpi));
    ASSERT_TRUE(frames.complete());
    EXPECT_TRUE(WaitUntil(
        [&] { return window.send(WM_TIMER, kAnimationTimer, 0) && frames.identify(CaptureStrip(displayDpi)) != 0; },
        kReactionLimitMs));
}

// A move to a monitor of another scale lays the dialog out as a start there
// would, and a move back as it was.
TEST_F(LoginWindow, MovingToAnotherScaleAndBackLaysOutAsAStartThere) {
    ASSERT_TRUE(SendDpiChanged(192));
    ExpectCompactLayout(192);
    ExpectBannerArt(192, IDB_BANNER_200);
    ASSERT_TRUE(SendDpiChanged(96));
    ExpectCompactLayout(96);
    ExpectBannerArt(96, IDB_BANNER);
}

INSTANTIATE_TEST_SUITE_P(, LoginWindowAtEachScale, ::testing::Values(96u, 120u, 144u, 192u),
                         [](const ::testing::TestParamInfo<UINT>& info) {
                             return "At" + std::to_string(info.param) + "dpi";
                         });

} // namespace
} // namespace e2e
