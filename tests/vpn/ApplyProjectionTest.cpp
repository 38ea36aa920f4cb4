// The tunnel addresses and the split-tunnel routes: five route commands run
// one after another as windowless children, the client address last in each.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "RouteCommands.h"
#include "VpnPlatformCalls.h"
#include "VpnLinkTestFixture.h"

namespace {

// Route runs of one command stall until the test lets them go (a minute at
// most), so that the test, not the machine's speed, decides when they end.
class StalledRoute {
public:
    explicit StalledRoute(const char* command)
        : m_name("qm-vpn-route-release-" + std::to_string(GetCurrentProcessId())),
          m_event(CreateEventA(nullptr, TRUE, FALSE, m_name.c_str())) {
        SetEnvironmentVariableA("QM_ROUTE_STALL", (std::string(command) + ":60000").c_str());
        SetEnvironmentVariableA("QM_ROUTE_STALL_RELEASE", m_name.c_str());
    }
    ~StalledRoute() {
        Release();
        CloseHandle(m_event);
    }
    void Release() const { SetEvent(m_event); }

private:
    std::string m_name;
    HANDLE m_event;
};

std::vector<std::string> Commands(const std::vector<LogLine>& runs) {
    std::vector<std::string> commands;
    for (const LogLine& run : runs) commands.push_back(run.Get("cmd"));
    return commands;
}

unsigned long long Now() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return (static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

bool HandleIsOpen(HANDLE handle) {
    DWORD flags;
    return GetHandleInformation(handle, &flags) != FALSE;
}

TEST_F(VpnLinkTest, ConnectRunsTheFiveRouteCommandsInOrderWithTheClientAddressLast) {
    Scenario("projection.client=10.200.41.5\nprojection.server=10.200.41.1");
    SetEnvironmentVariableA("QM_ROUTE_DELAY_MS", "150");
    VpnLink link;
    ASSERT_EQ(link.Connect(), 0u) << link.LastError();
    EXPECT_STREQ(link.ClientAddress(), "10.200.41.5");
    EXPECT_STREQ(link.ServerAddress(), "10.200.41.1");

    const LogLine projection = CallsOf(RasCalls(), "RasGetProjectionInfoA").at(0);
    EXPECT_EQ(projection.Get("projection"), std::to_string(RASP_PppIp));
    EXPECT_EQ(projection.Get("info.dwSize"), "48");
    EXPECT_EQ(projection.Get("size"), "48");
    EXPECT_EQ(projection.Get("conn"), DialledHandle());

    std::vector<LogLine> runs = RouteRuns();
    EXPECT_EQ(Commands(runs), (std::vector<std::string>{
                                  "route DELETE 0.0.0.0 10.200.41.5",
                                  "route ADD 10.200.3.0 MASK 255.255.255.0 10.200.41.5",
                                  "route ADD 10.200.4.0 MASK 255.255.255.0 10.200.41.5",
                                  "route ADD 10.200.32.0 MASK 255.255.252.0 10.200.41.5",
                                  "route ADD 10.200.36.0 MASK 255.255.252.0 10.200.41.5",
                              }));
    for (size_t i = 0; i < runs.size(); ++i) {
        SCOPED_TRACE(i);
        // No window placement or show state was asked for.
        EXPECT_EQ(runs[i].Get("startup.dwFlags"), "0");
        EXPECT_EQ(runs[i].Get("startup.wShowWindow"), "0");
        if (i > 0) {
            EXPECT_GE(std::stoull(runs[i].Get("start")), std::stoull(runs[i - 1].Get("end")));
        }
    }

    ASSERT_EQ(recorder.created.size(), 5u);
    for (const CreateProcessCall& call : recorder.created) {
        SCOPED_TRACE(call.commandLine);
        EXPECT_EQ(call.applicationName, SystemPath("route.exe")) << "by its full path, never searched for";
        EXPECT_TRUE(call.processAttributesNull);
        EXPECT_TRUE(call.threadAttributesNull);
        EXPECT_FALSE(call.inheritHandles);
        EXPECT_EQ(call.creationFlags, static_cast<DWORD>(CREATE_NO_WINDOW));
        EXPECT_TRUE(call.environmentNull);
        EXPECT_TRUE(call.currentDirectoryNull);
        STARTUPINFOA expected = {};
        expected.cb = 68;
        EXPECT_EQ(memcmp(&call.startup, &expected, sizeof expected), 0);
    }
}

TEST_F(VpnLinkTest, RoutesReplaceTheTunnelsDefaultRoute) {
    VpnLink link;
    ASSERT_EQ(link.Connect(), 0u) << link.LastError();
    std::ifstream file(m_routeTable);
    std::vector<std::string> table;
    for (std::string line; std::getline(file, line);) table.push_back(line);
    EXPECT_EQ(table, (std::vector<std::string>{
                         "0.0.0.0 0.0.0.0 192.168.56.1 25",
                         "10.200.3.0 255.255.255.0 10.200.40.23 1",
                         "10.200.4.0 255.255.255.0 10.200.40.23 1",
                         "10.200.32.0 255.255.252.0 10.200.40.23 1",
                         "10.200.36.0 255.255.252.0 10.200.40.23 1",
                     }));
    std::vector<LogLine> runs = RouteRuns();
    ASSERT_EQ(runs.size(), 5u);
    for (const LogLine& run : runs) EXPECT_EQ(run.Get("exit"), "0") << run.Get("cmd");
}

TEST_F(VpnLinkTest, WithoutInstallRoutesTheAddressesAreSetAndNoCommandRuns) {
    VpnLinkSettings settings;
    settings.installRoutes = false;
    VpnLink link(settings);
    ASSERT_EQ(link.Connect(), 0u) << link.LastError();
    EXPECT_STREQ(link.ClientAddress(), "10.200.40.23");
    EXPECT_STREQ(link.ServerAddress(), "10.200.40.1");
    EXPECT_TRUE(recorder.created.empty());
    EXPECT_TRUE(RouteRuns().empty());
}

TEST_F(VpnLinkTest, WithNoRoutesOnlyTheDefaultRouteIsDeleted) {
    VpnLinkSettings settings;
    settings.routes.clear();
    VpnLink link(settings);
    ASSERT_EQ(link.Connect(), 0u) << link.LastError();
    EXPECT_EQ(Commands(RouteRuns()), std::vector<std::string>{"route DELETE 0.0.0.0 10.200.40.23"});
}

TEST_F(VpnLinkTest, CommandThatCannotStartIsSkippedAndTheRestStillRun) {
    recorder.failingCreate = 2;
    VpnLink link;
    ASSERT_EQ(link.Connect(), 0u) << link.LastError();
    EXPECT_STREQ(link.LastError(), "");
    EXPECT_EQ(recorder.created.size(), 5u);
    EXPECT_EQ(Commands(RouteRuns()), (std::vector<std::string>{
                                         "route DELETE 0.0.0.0 10.200.40.23",
                                         "route ADD 10.200.4.0 MASK 255.255.255.0 10.200.40.23",
                                         "route ADD 10.200.32.0 MASK 255.255.252.0 10.200.40.23",
                                         "route ADD 10.200.36.0 MASK 255.255.252.0 10.200.40.23",
                                     }));
}

// A child that cannot start leaves nothing to wait for: returning at all is the
// verdict, however long a busy machine takes to say so.
TEST_F(VpnLinkTest, MissingProgramReturnsAtOnce) {
    RunHiddenCommand(SystemPath("qm-no-such-program.exe").c_str(), "qm-no-such-program 1 2 3");
    ASSERT_EQ(recorder.created.size(), 1u);
    EXPECT_FALSE(recorder.created[0].result);
    EXPECT_EQ(recorder.created[0].commandLine, "qm-no-such-program 1 2 3");
}

TEST_F(VpnLinkTest, RunHiddenCommandWaitsForTheChildAndClosesBothHandles) {
    SetEnvironmentVariableA("QM_ROUTE_DELAY_MS", "300");
    RunHiddenCommand(SystemPath("route.exe").c_str(), "route PRINT");
    unsigned long long returned = Now();
    std::vector<LogLine> runs = RouteRuns();
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_LE(std::stoull(runs[0].Get("end")), returned);
    ASSERT_EQ(recorder.created.size(), 1u);
    EXPECT_FALSE(HandleIsOpen(recorder.created[0].child.hProcess));
    EXPECT_FALSE(HandleIsOpen(recorder.created[0].child.hThread));
}

TEST_F(VpnLinkTest, ACommandPastItsWaitLimitIsLeftRunningWithItsHandlesClosed) {
    StalledRoute stalled("PRINT");
    RunHiddenCommand(SystemPath("route.exe").c_str(), "route PRINT", 500);
    // It came back while the child still ran: the child ends only when let go.
    EXPECT_TRUE(RouteRuns().empty());
    ASSERT_EQ(recorder.created.size(), 1u);
    EXPECT_FALSE(HandleIsOpen(recorder.created[0].child.hProcess));
    // Not ended: it finishes its run and logs it, with its own exit code.
    stalled.Release();
    for (int i = 0; i < 300 && RouteRuns().empty(); ++i) Sleep(100);
    ASSERT_EQ(RouteRuns().size(), 1u);
    EXPECT_EQ(RouteRuns()[0].Get("exit"), "0");
}

DWORD WINAPI RunPrint(LPVOID) {
    RunHiddenCommand(SystemPath("route.exe").c_str(), "route PRINT");
    return 0;
}

TEST_F(VpnLinkTest, ChildThreadHandleIsClosedWhileTheChildStillRuns) {
    StalledRoute stalled("PRINT");
    recorder.createdEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    HANDLE runner = CreateThread(nullptr, 0, RunPrint, nullptr, 0, nullptr);
    ASSERT_NE(runner, nullptr);
    ASSERT_EQ(WaitForSingleObject(recorder.createdEvent, 10000), WAIT_OBJECT_0);
    ASSERT_EQ(recorder.created.size(), 1u);
    for (int i = 0; i < 200 && HandleIsOpen(recorder.created[0].child.hThread); ++i) Sleep(100);
    EXPECT_FALSE(HandleIsOpen(recorder.created[0].child.hThread));
    EXPECT_TRUE(HandleIsOpen(recorder.created[0].child.hProcess)) << "the child still runs";
    stalled.Release();
    EXPECT_EQ(WaitForSingleObject(runner, 60000), WAIT_OBJECT_0);
    CloseHandle(runner);
    CloseHandle(recorder.createdEvent);
    recorder.createdEvent = nullptr;
}

} // namespace

namespace {

// Whether the firm's networks count as routed, from what each command answered:
// the DELETE first, then the same answer from every ADD.
TEST(RouteOutcome, OnlyAFailedNetworkRouteOrADeleteThatNeverRanLeavesTheNetworksUnrouted) {
    struct Case {
        const char* name;
        DWORD deleteExit;
        DWORD addExit;
        bool routed;
        int failed;
    };
    const Case cases[] = {
        {"every command accepted", 0, 0, true, 0},
        {"no default route to delete", 1, 0, true, 1},
        {"the DELETE could not start", kCommandNotStarted, 0, false, 1},
        {"the DELETE still running at its limit", kCommandStillRunning, 0, false, 1},
        {"the network routes refused", 0, 1, false, 2},
        {"every command refused", 1, 1, false, 3},
    };
    const std::vector<CString> lines =
        RouteCommandLines({{"10.200.3.0", "255.255.255.0"}, {"10.200.4.0", "255.255.255.0"}}, "10.200.41.5");
    for (const Case& c : cases) {
        RouteOutcome outcome;
        for (const CString& line : lines)
            outcome.Record(line, line.Find("route DELETE") == 0 ? c.deleteExit : c.addExit);
        EXPECT_EQ(outcome.Routed(), c.routed) << c.name;
        EXPECT_EQ(outcome.failed, c.failed) << c.name;
        // The user is told of every failure whenever the networks are not routed.
        const std::string summary(outcome.Summary());
        EXPECT_EQ(summary.empty(), c.routed) << c.name;
        if (!c.routed) {
            EXPECT_EQ(summary.find(std::to_string(c.failed) + " of 3"), 0u) << c.name;
        }
    }
}

} // namespace
