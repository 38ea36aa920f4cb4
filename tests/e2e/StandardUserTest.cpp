// A standard user's desk: the program runs with the filtered token UAC gives,
// against a route utility that refuses such a token, as Windows' does. With
// the route service installed the firm's routes still go in, at the login and
// at every restore; without it the refusals are told, not hidden.
#include <memory>

#include "ProductTest.h"
#include "RouteServiceDesk.h"

using driver::WaitUntil;

namespace e2e {
namespace {

class StandardUserDesk : public ProductTest {
protected:
    void SetUp() override {
        ProductTest::SetUp();
        m_service = std::make_unique<driver::RouteServiceDesk>(standins);
    }
    void TearDown() override {
        ProductTest::TearDown();
        if (m_service) {
            EXPECT_TRUE(m_service->remove());
        }
        m_service.reset();
    }

    void InstallService() {
        std::string why;
        ASSERT_TRUE(m_service->install(why)) << why;
    }

    void LogIn() {
        StartProduct({}, true);
        TypeInto(IDC_USER_ID, "jsmith");
        TypeInto(IDC_PASSWORD, "pa55");
        ASSERT_TRUE(WaitUntil([&] { return Control(IDOK).enabled(); }, kReactionLimitMs));
        ASSERT_TRUE(Control(IDOK).click());
        ASSERT_TRUE(WaitUntil([&] { return !standins.clientLogValue("started").empty(); }, kAttemptLimitMs));
    }
    bool WaitForRouteRuns(size_t count) const {
        return WaitUntil([&] { return standins.routeRuns().size() >= count; }, kAttemptLimitMs);
    }
    void EndTheClient() {
        standins.releaseClient();
        EXPECT_TRUE(product.waitForExit(kAttemptLimitMs));
    }

    static std::vector<std::string> Args(const std::vector<LogLine>& runs) {
        std::vector<std::string> args;
        for (const LogLine& run : runs) args.push_back(run.Get("args"));
        return args;
    }

    std::unique_ptr<driver::RouteServiceDesk> m_service;
};

const std::vector<std::string> kFirstRoutes = {
    "DELETE 0.0.0.0 10.200.40.23",
    "ADD 10.200.3.0 MASK 255.255.255.0 10.200.40.23",
    "ADD 10.200.4.0 MASK 255.255.255.0 10.200.40.23",
    "ADD 10.200.32.0 MASK 255.255.252.0 10.200.40.23",
    "ADD 10.200.36.0 MASK 255.255.252.0 10.200.40.23",
};

TEST_F(StandardUserDesk, TheServicePutsTheRoutesInAtTheLoginAndAgainAfterADrop) {
    InstallService();
    standins.writeScenario("dial.delay_ms=0\n");
    LogIn();
    ASSERT_TRUE(WaitForRouteRuns(5));
    std::vector<LogLine> runs = standins.routeRuns();
    EXPECT_EQ(Args(std::vector<LogLine>(runs.begin(), runs.begin() + 5)), kFirstRoutes);
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(runs[i].Get("elevated"), "1") << i;
        EXPECT_EQ(runs[i].Get("exit"), "0") << i;
    }

    standins.writeScenario("dial.delay_ms=0\nprojection.client=10.200.41.7\ndrop.serial=1\n");
    ASSERT_TRUE(WaitForRouteRuns(10));
    runs = standins.routeRuns();
    EXPECT_EQ(runs[5].Get("args"), "DELETE 0.0.0.0 10.200.41.7");
    for (size_t i = 5; i < 10; ++i) {
        EXPECT_EQ(runs[i].Get("elevated"), "1") << i;
        EXPECT_EQ(runs[i].Get("refused"), "") << i;
    }
    for (size_t i = 6; i < 10; ++i) EXPECT_EQ(runs[i].Get("exit"), "0") << runs[i].Get("args");
    EndTheClient();
    ExpectSupportLog({"worker The route service ran the 5 route commands for client address 10.200.40.23: 0 failed",
                      "worker The route service ran the 5 route commands for client address 10.200.41.7: 1 failed",
                      // The entry adds no default route for a new address: the
                      // networks are routed, and no warning is shown.
                      "worker The firm's networks are routed; the tunnel had no default route to delete: \"route "
                      "DELETE 0.0.0.0 10.200.41.7\": exit code 1",
                      "worker The link is restored after an outage of "},
                     {"pa55", "Marigold!"});
}

TEST_F(StandardUserDesk, AnF8RunIsRoutedByTheServiceToo) {
    InstallService();
    standins.writeScenario("dial.delay_ms=0\n");
    StartProduct({}, true);
    ASSERT_TRUE(driver::Keyboard::postKey(Control(IDC_USER_ID), VK_F8));
    ASSERT_TRUE(WaitForRouteRuns(5));
    const std::vector<LogLine> runs = standins.routeRuns();
    EXPECT_EQ(Args(runs), kFirstRoutes);
    for (const LogLine& run : runs) EXPECT_EQ(run.Get("elevated"), "1") << run.Get("args");
    ASSERT_TRUE(
        WaitUntil([&] { return Control(IDC_STATUS).text().rfind("Client: 10.200.40.23", 0) == 0; }, kAttemptLimitMs));
    ASSERT_TRUE(Control(IDCANCEL).click());
    EXPECT_TRUE(product.waitForExit(kAttemptLimitMs));
    ExpectSupportLog({"dialog F8 pressed",
                      "worker The route service ran the 5 route commands for client address 10.200.40.23: 0 failed"},
                     {"Marigold!"});
}

TEST_F(StandardUserDesk, WithoutTheServiceTheRefusedRoutesAreToldAndTheClientStillRuns) {
    standins.writeScenario("dial.delay_ms=0\n");
    LogIn();
    ASSERT_TRUE(WaitForRouteRuns(5));
    std::vector<LogLine> runs = standins.routeRuns();
    EXPECT_EQ(Args(runs), kFirstRoutes);
    for (const LogLine& run : runs) {
        EXPECT_EQ(run.Get("refused"), "elevation") << run.Get("args");
        EXPECT_EQ(run.Get("exit"), "1");
    }
    EndTheClient();
    ExpectSupportLog({"worker Not elevated, and the route service did not route the link (the route service is not "
                      "installed): the route commands run here",
                      "worker The firm's networks are not routed: 5 of 5 route commands failed (route service: the "
                      "route service is not installed):\\r\\n\"route DELETE 0.0.0.0 10.200.40.23\": exit code 1"},
                     {"pa55", "Marigold!"});
}

} // namespace
} // namespace e2e
