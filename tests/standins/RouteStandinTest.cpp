// The route stand-in: the system utility's syntax and answers, on a table kept
// in a file, with every run logged.
#include <gtest/gtest.h>
#include <windows.h>

#include "StandinFixture.h"

namespace {

class RouteStandinTest : public StandinFixture {
protected:
    int Route(const std::string& arguments, std::string* output = nullptr, bool asStandardUser = false) {
        std::string ignored;
        return RunCaptured("route " + arguments, output ? output : &ignored, 30000, asStandardUser);
    }
    std::string Print() {
        std::string output;
        EXPECT_EQ(Route("PRINT", &output), 0);
        return output;
    }
};

TEST_F(RouteStandinTest, FreshTableHoldsTheLanAndTunnelDefaultRoutes) {
    std::string table = Print();
    EXPECT_NE(table.find("0.0.0.0          0.0.0.0     192.168.56.1"), std::string::npos) << table;
    EXPECT_NE(table.find("0.0.0.0          0.0.0.0     10.200.40.23"), std::string::npos) << table;
}

TEST_F(RouteStandinTest, AddedRouteIsPrintedUntilDeleted) {
    std::string output;
    EXPECT_EQ(Route("ADD 10.200.32.0 MASK 255.255.252.0 10.200.40.23", &output), 0);
    EXPECT_EQ(output, " OK!\r\n");
    EXPECT_NE(Print().find("10.200.32.0    255.255.252.0     10.200.40.23"), std::string::npos);

    EXPECT_EQ(Route("add 10.200.32.0 mask 255.255.252.0 10.200.40.23", &output), 1);
    EXPECT_NE(output.find("The route addition failed: The object already exists."), std::string::npos);

    EXPECT_EQ(Route("DELETE 10.200.32.0", &output), 0);
    EXPECT_EQ(Print().find("10.200.32.0"), std::string::npos);
}

TEST_F(RouteStandinTest, DeletingARouteThatIsNotThereFailsWithElementNotFound) {
    std::string output;
    EXPECT_EQ(Route("DELETE 10.9.9.0", &output), 1);
    EXPECT_EQ(output, "The route deletion failed: Element not found.\r\n\r\n");
    // A default route whose gateway differs is not the one asked for.
    EXPECT_EQ(Route("DELETE 0.0.0.0 10.200.99.99", &output), 1);
    EXPECT_NE(output.find("Element not found."), std::string::npos);

    EXPECT_EQ(Route("DELETE 0.0.0.0 10.200.40.23", &output), 0);
    std::string table = Print();
    EXPECT_EQ(table.find("10.200.40.23"), std::string::npos) << table;
    EXPECT_NE(table.find("192.168.56.1"), std::string::npos) << table;
}

TEST_F(RouteStandinTest, AStandardUsersChangesAreRefusedForWantOfElevationAndLogged) {
    const std::string before = Print();
    std::string output;
    EXPECT_EQ(Route("ADD 10.200.32.0 MASK 255.255.252.0 10.200.40.23", &output, true), 1);
    EXPECT_EQ(output, "The requested operation requires elevation.\r\n");
    EXPECT_EQ(Route("DELETE 0.0.0.0 10.200.40.23", &output, true), 1);
    EXPECT_EQ(output, "The requested operation requires elevation.\r\n");
    EXPECT_EQ(Route("-f", &output, true), 1);
    // Reading the table needs no elevation.
    EXPECT_EQ(Route("PRINT", &output, true), 0);
    EXPECT_EQ(output, before);
    EXPECT_EQ(Print(), before);

    std::vector<LogLine> runs = RouteRuns();
    ASSERT_EQ(runs.size(), 6u);
    EXPECT_EQ(runs[0].Get("elevated"), "1");
    for (size_t i = 1; i <= 3; ++i) {
        EXPECT_EQ(runs[i].Get("elevated"), "0");
        EXPECT_EQ(runs[i].Get("refused"), "elevation");
    }
    EXPECT_EQ(runs[4].Get("elevated"), "0");
    EXPECT_EQ(runs[4].Get("refused"), "");
}

TEST_F(RouteStandinTest, MalformedCommandsAreRefused) {
    std::string output;
    EXPECT_EQ(Route("ADD 10.200.3.0 MASK 255.255.255.0 not-an-address", &output), 1);
    EXPECT_NE(output.find("bad gateway address"), std::string::npos);
    EXPECT_EQ(Route("ADD 10.200.3.1 MASK 255.255.255.0 10.0.0.1", &output), 1);
    EXPECT_NE(output.find("(Destination & Mask) != Destination"), std::string::npos);
    EXPECT_EQ(Route("FROB", &output), 1);
    EXPECT_EQ(Route("", &output), 1);
}

TEST_F(RouteStandinTest, EveryRunIsLoggedWithItsCommandLineAndTimes) {
    SetEnvironmentVariableA("QM_ROUTE_DELAY_MS", "100");
    Route("ADD 10.200.4.0 MASK 255.255.255.0 10.200.40.23");
    Route("DELETE 10.1.1.0");
    std::vector<LogLine> runs = RouteRuns();
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0].Get("cmd"), "route ADD 10.200.4.0 MASK 255.255.255.0 10.200.40.23");
    EXPECT_EQ(runs[0].Get("args"), "ADD 10.200.4.0 MASK 255.255.255.0 10.200.40.23");
    EXPECT_EQ(runs[0].Get("exit"), "0");
    EXPECT_EQ(runs[1].Get("exit"), "1");
    unsigned long long start = std::stoull(runs[0].Get("start")), end = std::stoull(runs[0].Get("end"));
    EXPECT_GE(end - start, 900000ull); // 100 ns units
    EXPECT_GE(std::stoull(runs[1].Get("start")), end);
}

} // namespace
