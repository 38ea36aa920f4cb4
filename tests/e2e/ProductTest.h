// The fixture of the end-to-end tests: the real QuillmarshVPN.exe beside the
// test program, in this test program's own Wine prefix, with the stand-ins
// scripted through files of the test's own.
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
#include "SystemFolders.h"
#include "WaitUntil.h"
#include "Window.h"

namespace e2e {

using driver::kAttemptLimitMs;
using driver::kReactionLimitMs;

constexpr const char* kProductKey = "Software\\Quillmarsh Holdings\\QuillMarsh Professional";
constexpr int kUserId = 1000;
constexpr int kPassword = 1001;
constexpr int kStatus = 1003;
constexpr COLORREF kBackground = RGB(107, 132, 115);
constexpr COLORREF kStatusBackground = RGB(160, 198, 172);
constexpr COLORREF kWhite = RGB(255, 255, 255);

// The progress strip's place and frames at 100 %.
constexpr int kFirstFrame = 132;
constexpr int kLastFrame = 138;
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
    void StartProduct(const std::vector<std::pair<std::string, std::string>>& extraEnvironment = {});
    // A further copy, with the same environment, that is not waited for.
    bool StartAnotherCopy(driver::ProductSession& session);

    // Files of this test, in a folder that is emptied before it runs.
    std::string TestFile(const char* name) const;
    void WriteRasScenario(const std::string& lines) const;
    void WriteRegistryString(const char* name, const std::string& value) const;
    void WriteRegistryDword(const char* name, DWORD value) const;
    void WriteRegistryBinary(const char* name, const void* data, DWORD size) const;
    static std::string ReadFile(const std::string& path);
    static std::vector<std::string> ReadLines(const std::string& path);
    // How often the RAS stand-in logged a call of this entry point.
    int CountRasCalls(const char* call) const;
    // A value of the trading-client stand-in's start-up log; empty before it started.
    std::string ClientLogValue(const char* key) const;

    // The program's support log in this prefix, and the lines it gained since SetUp.
    static std::string SupportLogPath();
    std::vector<std::string> SupportLogOfThisTest() const;
    // Each piece in a line of its own, in this order, every line stamped with its
    // time and side, and no line holding a secret. When the suite runs with a log
    // that cannot be written (QM_LOG_TRAP, see tests/rig), nothing was written.
    void ExpectSupportLog(const std::vector<std::string>& pieces, const std::vector<std::string>& secrets) const;

    driver::Window Control(int id) const { return window.child(id); }
    void TypeInto(int id, const std::string& text) const;

    std::vector<std::pair<std::string, std::string>> Environment() const;

    // The strip's place at `dpi` as the screen shows it; empty unless it lies
    // wholly inside the client area.
    driver::ScreenImage CaptureStrip(UINT dpi = 96) const;

    // A figure given at 96 dpi at the display scale the program starts with.
    int Scaled(int pixelsAt96) const { return MulDiv(pixelsAt96, static_cast<int>(displayDpi), 96); }
    // Tells the window it now shows on a monitor of `dpi`, with the rectangle the
    // system would suggest, written into the program's own memory.
    bool SendDpiChanged(UINT dpi) const;

    // When QM_SCREENSHOT_DIR is set (scripts/screenshots.sh), saves the window
    // as it now shows under that folder, for the README.
    void SaveScreenshot(const char* name) const;

    // The display scale of the session the program starts in.
    UINT displayDpi = 96;
    driver::ProductSession product;
    driver::Window window;
    std::string folder;
    std::string clientQuitName;
    HANDLE clientQuit = nullptr;
    size_t supportLogStart = 0;
};

// The seven frames of one display scale as the program's resources hold them,
// to tell which one the screen shows.
class Frames {
public:
    explicit Frames(int firstId = kFirstFrame);
    bool complete() const { return frames_.size() == kLastFrame - kFirstFrame + 1; }
    // The frame the picture shows, by its number at 100 % (132 to 138); 0 for none.
    int identify(const driver::ScreenImage& image) const;

private:
    SIZE size_ = {0, 0};
    std::map<int, std::vector<uint32_t>> frames_;
};

}  // namespace e2e
