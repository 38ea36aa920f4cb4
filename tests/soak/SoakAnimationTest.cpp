// The progress strip's ticks in the real program, counted from outside: each
// tick loads a frame and makes a memory device context, so a tick that forgets
// to release one of them shows as growth of the program's GDI objects.
//
// The ticks are sent as the timer's own WM_TIMER 6969 rather than waited for:
// the dialog's handler cannot tell them apart from the timer's, and 2,000 ticks
// at the timer's 150 ms would take five minutes. Sending (not posting) also
// makes each tick finished by the time the next one goes out.
#include "ProcessResources.h"
#include "ProductSession.h"
#include "Screen.h"
#include "SoakRounds.h"
#include "WaitUntil.h"

#include <gtest/gtest.h>

namespace {

const UINT_PTR kAnimationTimer = 6969;
const COLORREF kBackground = RGB(107, 132, 115);

// Pixels of the strip's place (client 4,124; 297 x 22) that are not the
// dialog's own colour.
int StripPixelsDrawn(const driver::Window& dialog) {
    RECT client = dialog.clientRectOnScreen();
    RECT strip = {client.left + 4, client.top + 124, client.left + 4 + 297, client.top + 124 + 22};
    driver::ScreenImage image = driver::Screen::capture(strip);
    int drawn = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != kBackground) ++drawn;
    return drawn;
}

// True once every visible control shows something besides the dialog's colour:
// the controls paint after the dialog, and the ticks sent in a row can keep
// their first paint (and what it sets up once) waiting past the warm-up round.
bool EveryControlPainted(const driver::Window& dialog) {
    for (const driver::Window& control : dialog.children()) {
        if (!control.visible()) continue;
        driver::ScreenImage image = driver::Screen::capture(control.windowRect());
        bool painted = false;
        for (int y = 0; y < image.height() && !painted; ++y)
            for (int x = 0; x < image.width() && !painted; ++x) painted = image.pixel(x, y) != kBackground;
        if (!painted) return false;
    }
    return true;
}

TEST(AnimationSoakTest, TicksOfTheRealDialogLeaveNothingBehind) {
    // 200 ticks here, 2,000 in the full soak.
    const SoakSize size = ChooseSoakSize({5, 40}, {10, 200});
    driver::ProductSession product;
    ASSERT_TRUE(product.start()) << "CreateProcess error " << product.lastError();
    driver::Window dialog = product.waitForWindow();
    ASSERT_TRUE(dialog) << "the login window did not appear";
    ASSERT_TRUE(driver::WaitUntil([&] { return StripPixelsDrawn(dialog) == 0; }, driver::kReactionLimitMs))
        << "the strip's place is empty once the dialog has painted";
    ASSERT_TRUE(driver::WaitUntil([&] { return EveryControlPainted(dialog); }, driver::kReactionLimitMs))
        << "every control has painted";

    std::vector<ProcessResources> afterRound;
    for (int round = 0; round < size.rounds; ++round) {
        for (int tick = 0; tick < size.perRound; ++tick)
            ASSERT_TRUE(dialog.send(WM_TIMER, kAnimationTimer, 0)) << "tick " << tick << " of round " << round;
        afterRound.push_back(MeasureProcess(product.process(), product.processId()));
    }
    // The strip is drawn between paints, so a paint after the last tick wipes
    // it until the next: one more tick on every look, as the timer would.
    EXPECT_TRUE(
        driver::WaitUntil([&] { return dialog.send(WM_TIMER, kAnimationTimer, 0) && StripPixelsDrawn(dialog) > 0; },
                          driver::kReactionLimitMs))
        << "the ticks drew the strip";
    ExpectNoGrowth("ticks", afterRound, {2, 2, 0, 256 * 1024});
    EXPECT_TRUE(product.running());
    product.close();
}

// The counters must see what a leak would leave, or the soaks prove nothing.
TEST(ProcessResourcesTest, CountersSeeWhatThisProcessMakes) {
    // The process's first window sets up the window system's own objects.
    HWND first = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    ProcessResources before = MeasureThisProcess();
    HANDLE events[5];
    HBITMAP bitmaps[5];
    for (int i = 0; i < 5; ++i) {
        events[i] = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        bitmaps[i] = CreateBitmap(4, 4, 1, 32, nullptr);
    }
    HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    void* block = VirtualAlloc(nullptr, 1 << 20, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    ProcessResources after = MeasureThisProcess();
    VirtualFree(block, 0, MEM_RELEASE);
    DestroyWindow(window);
    DestroyWindow(first);
    for (int i = 0; i < 5; ++i) {
        DeleteObject(bitmaps[i]);
        CloseHandle(events[i]);
    }
    EXPECT_EQ(after.handles - before.handles, 5) << before.describe() << " / " << after.describe();
    EXPECT_EQ(after.gdiObjects - before.gdiObjects, 5);
    EXPECT_EQ(after.windows - before.windows, 1);
    EXPECT_GE(after.privateBytes - before.privateBytes, 1 << 20);
}

} // namespace
