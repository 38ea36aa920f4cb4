// One copy at a time: a second start shows the refusal box and ends, and the
// first copy goes on undisturbed.
#include "ProductTest.h"

#include <fstream>

using driver::ProductSession;
using driver::WaitUntil;
using driver::Window;

namespace e2e {
namespace {

constexpr const char* kRefusalCaption = "Startup Error...";
constexpr const char* kRefusalText =
    "Quillmarsh VPN is already running. Only one copy    \r\nof Quillmarsh VPN can run at a time";

// The Windows version as the prefix reports it; no manifest changes this answer.
std::string SystemVersion() {
    typedef LONG(WINAPI * RtlGetVersionProc)(OSVERSIONINFOW*);
    RtlGetVersionProc getVersion = reinterpret_cast<RtlGetVersionProc>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "RtlGetVersion")));
    OSVERSIONINFOW info = {};
    info.dwOSVersionInfoSize = sizeof info;
    if (!getVersion || getVersion(&info) != 0) return "(unknown)";
    return std::to_string(info.dwMajorVersion) + "." + std::to_string(info.dwMinorVersion) + " build " +
           std::to_string(info.dwBuildNumber);
}

class Startup : public ProductTest {
protected:
    // Starts a copy that must be refused and returns its box.
    Window StartRefusedCopy(ProductSession& copy) {
        EXPECT_TRUE(StartAnotherCopy(copy));
        Window box = copy.waitForMessageBox(kRefusalCaption);
        EXPECT_TRUE(box) << "no refusal box";
        return box;
    }

    static bool CloseBox(const Window& box) { return box.child(IDOK).click(); }
};

TEST_F(Startup, SecondCopyShowsTheRefusalAndEndsWhenItIsClosed) {
    StartProduct();
    ProductSession second;
    Window box = StartRefusedCopy(second);
    ASSERT_TRUE(box);
    EXPECT_EQ(box.child(0xFFFF).text(), kRefusalText);
    EXPECT_EQ(ProductSession::waitForGone(window, 0), false);

    ASSERT_TRUE(CloseBox(box));
    EXPECT_TRUE(second.waitForExit(driver::kAttemptLimitMs));
    // The refused copy built no dialog of its own, and the first runs on.
    EXPECT_TRUE(product.running());
    EXPECT_TRUE(window.visible());
    // Word for word, its line break written as \r\n so that it stays one line.
    ExpectSupportLog({"dialog Message box \"Startup Error...\": Quillmarsh VPN is already running. Only one copy"
                      "    \\r\\nof Quillmarsh VPN can run at a time",
                      "dialog Quillmarsh VPN ends: another copy is running"},
                     {});
}

TEST_F(Startup, ALogOverOneMebibyteBecomesTheOlderCopyAndANewOneBegins) {
    char trap[16];
    if (GetEnvironmentVariableA("QM_LOG_TRAP", trap, sizeof trap) != 0) GTEST_SKIP() << "the log cannot be written";
    const std::string log = SupportLogPath();
    CreateDirectoryA(log.substr(0, log.rfind('\\')).c_str(), nullptr);
    std::ofstream(log, std::ios::binary | std::ios::trunc) << std::string(1024 * 1024 + 1, 'x');
    supportLogStart = 0;
    StartProduct();
    ASSERT_TRUE(Control(IDCANCEL).click());
    ASSERT_TRUE(product.waitForExit(driver::kAttemptLimitMs));
    EXPECT_EQ(ReadWholeFile(log + ".1").size(), 1024u * 1024u + 1u);
    ExpectSupportLog({" started, process id ", "dialog Cancel: the dialog closes", "dialog Quillmarsh VPN ends"}, {});
}

TEST_F(Startup, RefusedCopyKeepsRefusingUntilItHasEnded) {
    StartProduct();
    ProductSession refused;
    Window box = StartRefusedCopy(refused);
    ASSERT_TRUE(box);

    // The first copy ends by Cancel...
    ASSERT_TRUE(Control(IDCANCEL).click());
    ASSERT_TRUE(product.waitForExit(driver::kAttemptLimitMs));

    // ...but the refused copy still holds the name.
    ProductSession third;
    Window thirdBox = StartRefusedCopy(third);
    ASSERT_TRUE(thirdBox);
    ASSERT_TRUE(CloseBox(thirdBox));
    EXPECT_TRUE(third.waitForExit(driver::kAttemptLimitMs));
    ASSERT_TRUE(CloseBox(box));
    EXPECT_TRUE(refused.waitForExit(driver::kAttemptLimitMs));

    // Once every copy has gone, the next one runs.
    ProductSession fourth;
    ASSERT_TRUE(StartAnotherCopy(fourth));
    EXPECT_TRUE(fourth.waitForWindow());
    EXPECT_FALSE(fourth.waitForMessageBox(kRefusalCaption, 500));
    fourth.close();
}

TEST_F(Startup, CancelEndsTheProgram) {
    StartProduct();
    ASSERT_TRUE(Control(IDCANCEL).click());
    DWORD exitCode = 1234;
    ASSERT_TRUE(product.waitForExit(driver::kAttemptLimitMs, &exitCode));
    EXPECT_FALSE(window.exists());
    // The manifest names the Windows versions the program is made for, so the
    // system tells it the truth and the log names it for the help desk.
    ExpectSupportLog({" started, process id ", "dialog Quillmarsh VPN ends"}, {});
    ExpectSupportLog({"on Windows " + SystemVersion()}, {});
}

} // namespace
} // namespace e2e
