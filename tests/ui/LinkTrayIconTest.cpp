// What the link's icon hands the shell, seen through the icon's seam: no
// notification area is needed.
#include <gtest/gtest.h>
#include <objbase.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "DpiScale.h"
#include "LinkTrayIcon.h"

namespace {

std::vector<std::pair<DWORD, NOTIFYICONDATAA>> g_calls;
HRESULT g_comOnOpen = E_FAIL;

BOOL WINAPI RecordNotify(DWORD action, NOTIFYICONDATAA* data) {
    g_calls.push_back({action, *data});
    return TRUE;
}

HINSTANCE WINAPI RecordOpen(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT) {
    // S_FALSE: the caller's thread has COM already.
    g_comOnOpen = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (SUCCEEDED(g_comOnOpen)) CoUninitialize();
    return reinterpret_cast<HINSTANCE>(33);
}

class LinkTrayIconTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_calls.clear();
        g_traySeams = {RecordNotify, RecordOpen};
        connected = LoadIcon(nullptr, IDI_APPLICATION);
    }
    void TearDown() override { g_traySeams = kRealTraySeams; }
    const NOTIFYICONDATAA& Last(DWORD action) const {
        for (auto call = g_calls.rbegin(); call != g_calls.rend(); ++call)
            if (call->first == action) return call->second;
        static NOTIFYICONDATAA none = {};
        return none;
    }
    static int IconWidth(HICON icon) {
        ICONINFO info = {};
        if (!GetIconInfo(icon, &info)) return 0;
        BITMAP bitmap = {};
        GetObject(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
        if (info.hbmColor) DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        return bitmap.bmWidth;
    }

    HICON connected = nullptr;
};

const char kUpText[] = "VPN link up since 09:30:00\r\nClient address 10.200.41.7";
const char kUpTip[] = "Quillmarsh VPN: connected\nVPN link up since 09:30:00\nClient address 10.200.41.7";

TEST_F(LinkTrayIconTest, IsAddedWithTheFourthVersionOfCallbacks) {
    LinkTrayIcon tray;
    tray.ShowLink(nullptr, LinkState::Connected, false, kUpText, connected, kBaseDpi);
    ASSERT_GE(g_calls.size(), 2u);
    EXPECT_EQ(g_calls[0].first, static_cast<DWORD>(NIM_ADD));
    EXPECT_EQ(g_calls[1].first, static_cast<DWORD>(NIM_SETVERSION));
    EXPECT_EQ(g_calls[1].second.uVersion, 4u);
    EXPECT_STREQ(g_calls[0].second.szTip, kUpTip);
}

// A move to another scale while the icon shows: the same text, and the
// state's picture drawn at the small-icon size of the new scale.
TEST_F(LinkTrayIconTest, ANewScaleKeepsTheTooltipAndGivesSmallPicturesOfItsSize) {
    LinkTrayIcon tray;
    tray.ShowLink(nullptr, LinkState::Connected, false, kUpText, connected, kBaseDpi);
    tray.ShowAgain(nullptr, connected, 2 * kBaseDpi);
    EXPECT_STREQ(Last(NIM_MODIFY).szTip, kUpTip);
    EXPECT_EQ(tray.linkText(), kUpText);

    tray.ShowLink(nullptr, LinkState::Reconnecting, false, "VPN link down since 09:31:00", connected, 2 * kBaseDpi);
    HICON warning = Last(NIM_MODIFY).hIcon;
    EXPECT_NE(warning, LoadIcon(nullptr, IDI_WARNING)) << "the shared big picture, shrunk by the shell";
    const UINT dpi = 2 * kBaseDpi;
    EXPECT_EQ(IconWidth(warning), ScaleToDpi(GetSystemMetrics(SM_CXSMICON), dpi)) << "the small icon of 200 %";
    tray.ShowAgain(nullptr, connected, 2 * kBaseDpi);
    EXPECT_STREQ(Last(NIM_MODIFY).szTip, "Quillmarsh VPN: reconnecting\nVPN link down since 09:31:00");
}

// Up, but some route commands failed: never the quiet "connected" picture.
TEST_F(LinkTrayIconTest, AnUnroutedLinkShowsTheWarningWithABalloonFromItsFirstReport) {
    LinkTrayIcon tray;
    tray.ShowLink(nullptr, LinkState::Connected, true, kUpText, connected, kBaseDpi);
    EXPECT_NE(Last(NIM_ADD).hIcon, connected);
    EXPECT_EQ(std::string(Last(NIM_ADD).szTip).rfind(std::string("Quillmarsh VPN: ") + kUnroutedText, 0), 0u);
    EXPECT_STREQ(Last(NIM_MODIFY).szInfo, kUnroutedText);
    tray.ShowAgain(nullptr, connected, kBaseDpi);
    EXPECT_NE(Last(NIM_MODIFY).hIcon, connected) << "a new scale keeps the warning";
}

TEST_F(LinkTrayIconTest, TheSupportLogOpensWithComOnTheCallingThread) {
    EXPECT_TRUE(TrayIcon::OpenWithShell("QuillmarshVPN.log"));
    EXPECT_EQ(g_comOnOpen, S_FALSE);
}

} // namespace
