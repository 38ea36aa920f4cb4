// The fixture of the end-to-end tests: the real QuillmarshVPN.exe beside the
// test program, in this test program's own Wine prefix, with the stand-ins
// scripted through a stand-in world named after the test.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "Keyboard.h"
#include "ProductSession.h"
#include "ScreenImage.h"
#include "SettingsStore.h"
#include "StandinWorld.h"
#include "SystemFolders.h"
#include "WaitUntil.h"
#include "Window.h"
#include "resource.h"

namespace e2e {

using driver::kAttemptLimitMs;
using driver::kReactionLimitMs;

// The dialog's colours and the strip's place are the dialog's own business
// (ui/CVPNLoginDlg.cpp), so the tests state them as the user sees them.
constexpr COLORREF kBackground = RGB(107, 132, 115);
constexpr COLORREF kStatusBackground = RGB(160, 198, 172);
constexpr COLORREF kWhite = RGB(255, 255, 255);
// The progress strip's timer, whose ticks a test may send itself.
constexpr UINT_PTR kAnimationTimer = 6969;
// The notification-area icon's callback message, which the shell sends the
// dialog on a click of the icon (lParam the mouse message).
constexpr UINT kTrayNotify = WM_APP + 120;

// How much shorter the dialog is while its status area is hidden, at 100 %.
constexpr int kLayoutShift = 67;
// The progress strip's place at 100 %.
constexpr int kStripX = 4;
constexpr int kStripY = 124;
constexpr int kStripWidth = 297;
constexpr int kStripHeight = 22;

class ProductTest : public ::testing::Test {
public:
    // A bitmap of the program's resources as 0x00RRGGBB pixels, top row first.
    static bool ProgramBitmap(int id, SIZE& size, std::vector<uint32_t>& pixels);

protected:
    void SetUp() override;
    void TearDown() override;

    // Starts the program with the stand-ins' scenario and logs of this test and
    // waits for its window; fails the test when it does not come.
    void StartProduct(const std::vector<std::pair<std::string, std::string>>& extraEnvironment = {},
                      bool asStandardUser = false);
    // A further copy, with the same environment, that is not waited for.
    bool StartAnotherCopy(driver::ProductSession& session);

    // Files of this test, in a folder that is emptied before it runs.
    std::string TestFile(const char* name) const { return standins.file(name); }
    void WriteRegistryString(const char* name, const std::string& value) const;
    void WriteRegistryDword(const char* name, DWORD value) const;
    void WriteRegistryBinary(const char* name, const void* data, DWORD size) const;
    // How often the RAS stand-in logged a call of this entry point.
    int CountRasCalls(const char* call) const { return static_cast<int>(CallsOf(standins.rasCalls(), call).size()); }

    // The program's support log in this prefix, and the lines it gained since SetUp.
    static std::string SupportLogPath();
    std::vector<std::string> SupportLogOfThisTest() const;
    // Each piece in a line of its own, in this order, every line stamped with its
    // time and side, and no line holding a secret. When the suite runs with a log
    // that cannot be written (QM_LOG_TRAP, see tests/rig), nothing was written.
    void ExpectSupportLog(const std::vector<std::string>& pieces, const std::vector<std::string>& secrets) const;

    driver::Window Control(int id) const { return window.child(id); }
    // What a screen reader reads for a window of the program, asked from this
    // process as a reader asks: its accessible name, or its description.
    static std::string AccessibleName(const driver::Window& of) { return AccessibleText(of, false); }
    static std::string AccessibleDescription(const driver::Window& of) { return AccessibleText(of, true); }
    void TypeInto(int id, const std::string& text) const;

    // The strip's place at `dpi` as the screen shows it; empty unless it lies
    // wholly inside the client area.
    driver::ScreenImage CaptureStrip(UINT dpi = 96) const;

    // A figure given at 96 dpi at the display scale the program starts with.
    int Scaled(int pixelsAt96) const { return MulDiv(pixelsAt96, static_cast<int>(displayDpi), 96); }
    // Tells the window it now shows on a monitor of `dpi`, with the rectangle the
    // system would suggest, written into the program's own memory.
    bool SendDpiChanged(UINT dpi) const;
    // Loads the library of this name beside the test program into the running
    // program, on a thread of its own there; false when it would not load.
    bool LoadIntoProgram(const char* library) const;

    // When QM_SCREENSHOT_DIR is set (scripts/screenshots.sh), saves the window
    // as it now shows under that folder, for the README.
    void SaveScreenshot(const char* name) const;

    // The display scale of the session the program starts in.
    UINT displayDpi = 96;
    driver::StandinWorld standins{"qm-e2e-" + NameOfThisTest()};
    driver::ProductSession product;
    driver::Window window;
    size_t supportLogStart = 0;

private:
    static std::string NameOfThisTest();
    static std::string AccessibleText(const driver::Window& of, bool description);
};

// The seven frames of one display scale as the program's resources hold them,
// to tell which one the screen shows.
class Frames {
public:
    explicit Frames(int firstId = IDB_PROGRESS_FIRST);
    bool complete() const { return m_frames.size() == IDB_PROGRESS_LAST - IDB_PROGRESS_FIRST + 1; }
    // The frame the picture shows, by its number at 100 % (132 to 138); 0 for none.
    int identify(const driver::ScreenImage& image) const;

private:
    SIZE m_size = {0, 0};
    std::map<int, std::vector<uint32_t>> m_frames;
};

} // namespace e2e
