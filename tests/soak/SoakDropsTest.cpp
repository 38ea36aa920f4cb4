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

#include <gtest/gtest.h>

#include <string>

namespace {

class DropSoakTest : public StandinFixture {
protected:
    void SetUp() override {
        StandinFixture::SetUp();
        m_quitName = "qm-soak-client-quit-" + std::to_string(GetCurrentProcessId());
        m_quit = CreateEventA(nullptr, TRUE, FALSE, m_quitName.c_str());
    }
    void TearDown() override {
        SetEvent(m_quit); // the client never outlives its test
        m_product.close();
        CloseHandle(m_quit);
        StandinFixture::TearDown();
    }

    // Logs in and waits for the first link's routes.
    void LogIn() {
        driver::ProductSession::Options options;
        options.environment = {{"QM_CLIENT_QUIT_EVENT", m_quitName}, {"QM_CLIENT_HIDDEN", "1"}};
        ASSERT_TRUE(m_product.start(options)) << "CreateProcess error " << m_product.lastError();
        driver::Window dialog = m_product.waitForWindow();
        ASSERT_TRUE(dialog);
        ASSERT_TRUE(driver::Keyboard::postText(dialog.child(1000), "trader"));
        ASSERT_TRUE(driver::Keyboard::postText(dialog.child(1001), "pw"));
        ASSERT_TRUE(driver::WaitUntil([&] { return dialog.child(IDOK).enabled(); }, driver::kReactionLimitMs));
        ASSERT_TRUE(dialog.child(IDOK).click());
        ASSERT_TRUE(WaitForRouteRuns(5));
    }
    bool WaitForRouteRuns(size_t count) const {
        return driver::WaitUntil([&] { return RouteRuns().size() >= count; }, driver::kAttemptLimitMs, 50);
    }

    driver::ProductSession m_product;
    std::string m_quitName;
    HANDLE m_quit = nullptr;
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
        afterRound.push_back(MeasureProcess(m_product.process(), m_product.processId()));
    }
    ExpectNoGrowth("drops", afterRound, {4, 2, 0, 256 * 1024});

    SetEvent(m_quit);
    ASSERT_TRUE(m_product.waitForExit(driver::kAttemptLimitMs));
    const std::vector<LogLine> calls = RasCalls();
    EXPECT_EQ(CallsOf(calls, "RasDialA").size(), drops + 1u);
    EXPECT_EQ(CallsOf(calls, "RasHangUpA").size(), drops + 1u) << "every link was hung up";
}

} // namespace
