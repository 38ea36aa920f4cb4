// A trading day with a bad line, in the real program: the link dropped and
// restored again and again in one session (30 times after the warm-up in the
// full soak), each
// restore a dial, a projection and five route commands, and the program's
// handles, GDI objects, windows and memory where the warm-up left them.
#include "ProcessResources.h"
#include "ProductSession.h"
#include "SoakRounds.h"
#include "StandinFixture.h"
#include "WaitUntil.h"
#include "Keyboard.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

class DropSoakTest : public StandinFixture {
protected:
    void TearDown() override {
        m_world->releaseClient();
        m_product.close();
        StandinFixture::TearDown();
    }

    // Logs in and waits for the first link's routes.
    void LogIn() {
        driver::ProductSession::Options options;
        options.environment = m_world->environment();
        ASSERT_TRUE(m_product.start(options)) << "CreateProcess error " << m_product.lastError();
        driver::Window dialog = m_product.waitForWindow();
        ASSERT_TRUE(dialog);
        ASSERT_TRUE(driver::Keyboard::postText(dialog.child(IDC_USER_ID), "trader"));
        ASSERT_TRUE(driver::Keyboard::postText(dialog.child(IDC_PASSWORD), "pw"));
        ASSERT_TRUE(driver::WaitUntil([&] { return dialog.child(IDOK).enabled(); }, driver::kReactionLimitMs));
        ASSERT_TRUE(dialog.child(IDOK).click());
        ASSERT_TRUE(WaitForRouteRuns(5));
    }
    // The restore's report reaches the dialog just after its routes, and the
    // dialog then hands the icon to the shell, which copies the icon's bitmaps
    // for the length of the call: a count taken then holds them too. The least
    // of three counts, each after one more of the worker's link checks (which
    // come after its report), is what the process keeps.
    ProcessResources MeasureWhenSettled() const {
        ProcessResources least;
        for (int i = 0; i < 3; ++i) {
            const size_t checks = CallsOf(RasCalls(), "RasGetConnectStatusA").size();
            EXPECT_TRUE(driver::WaitUntil([&] { return CallsOf(RasCalls(), "RasGetConnectStatusA").size() > checks; },
                                          driver::kReactionLimitMs, 50))
                << "the worker stopped checking the link";
            const ProcessResources now = MeasureProcess(m_product.process(), m_product.processId());
            if (i == 0) least = now;
            least.handles = std::min(least.handles, now.handles);
            least.gdiObjects = std::min(least.gdiObjects, now.gdiObjects);
            least.windows = std::min(least.windows, now.windows);
            least.privateBytes = std::min(least.privateBytes, now.privateBytes);
        }
        return least;
    }
    bool WaitForRouteRuns(size_t count) const {
        return driver::WaitUntil([&] { return RouteRuns().size() >= count; }, driver::kAttemptLimitMs, 50);
    }

    driver::ProductSession m_product;
};

TEST_F(DropSoakTest, DroppedAndRestoredLinksLeaveNothingBehind) {
    const SoakSize size = ChooseSoakSize({3, 2}, {7, 5});
    Scenario("");
    ASSERT_NO_FATAL_FAILURE(LogIn());
    int drops = 0;
    std::vector<ProcessResources> afterRound;
    for (int round = 0; round < size.rounds; ++round) {
        for (int i = 0; i < size.perRound; ++i) {
            ++drops;
            Scenario("drop.serial=" + std::to_string(drops));
            ASSERT_TRUE(WaitForRouteRuns(5 * (drops + 1u))) << "drop " << drops << " was not restored";
        }
        afterRound.push_back(MeasureWhenSettled());
    }
    ExpectNoGrowth("drops", afterRound, {4, 2, 0, 256 * 1024});

    m_world->releaseClient();
    ASSERT_TRUE(m_product.waitForExit(driver::kAttemptLimitMs));
    const std::vector<LogLine> calls = RasCalls();
    EXPECT_EQ(CallsOf(calls, "RasDialA").size(), drops + 1u);
    EXPECT_EQ(CallsOf(calls, "RasHangUpA").size(), drops + 1u) << "every link was hung up";
}

} // namespace
