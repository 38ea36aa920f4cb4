// The route service's answer to each kind of request, with RAS and the
// command runner replaced: what it refuses, which connection it routes, and
// that the commands are the link's own, run in order, their exit codes passed on.
#include <gtest/gtest.h>

#include <raserror.h>
#include <cstring>
#include <string>
#include <vector>

#include "RouteCommands.h"
#include "RouteRequestHandler.h"
#include "VpnLink.h"

namespace {

struct FakeConnection {
    const char* entryName;
    DWORD projectionResult;
    const char* clientAddress;
};

struct FakeWorld {
    DWORD enumResult = 0;
    std::vector<FakeConnection> connections;
    std::vector<DWORD> exitCodes; // one per command, in order; 0 past the end
    std::vector<std::string> commands;
} g_world;

DWORD WINAPI FakeEnum(RasConn412* connections, LPDWORD size, LPDWORD count) {
    if (connections[0].dwSize != sizeof(RasConn412) || *size < sizeof(RasConn412)) return ERROR_INVALID_SIZE;
    if (g_world.enumResult != 0) return g_world.enumResult;
    *count = static_cast<DWORD>(g_world.connections.size());
    for (DWORD i = 0; i < *count; ++i) {
        connections[i].dwSize = sizeof(RasConn412);
        connections[i].hrasconn = reinterpret_cast<HRASCONN>(static_cast<UINT_PTR>(0x100 + i));
        lstrcpynA(connections[i].szEntryName, g_world.connections[i].entryName, sizeof connections[i].szEntryName);
    }
    return 0;
}

DWORD WINAPI FakeProjection(HRASCONN connection, RASPROJECTION projection, LPVOID info, LPDWORD size) {
    const FakeConnection& c = g_world.connections.at(reinterpret_cast<UINT_PTR>(connection) - 0x100);
    RasPppIp48* ip = static_cast<RasPppIp48*>(info);
    if (projection != RASP_PppIp || ip->dwSize != sizeof(RasPppIp48) || *size != sizeof(RasPppIp48))
        return ERROR_INVALID_PARAMETER;
    if (c.projectionResult != 0) return c.projectionResult;
    lstrcpynA(ip->szIpAddress, c.clientAddress, sizeof ip->szIpAddress);
    lstrcpynA(ip->szServerIpAddress, "10.200.41.1", sizeof ip->szServerIpAddress);
    return 0;
}

DWORD FakeRun(const char* programPath, CString commandLine, DWORD waitLimitMs) {
    EXPECT_NE(std::strstr(programPath, "\\route.exe"), nullptr) << programPath;
    EXPECT_EQ(waitLimitMs, 10000u);
    size_t at = g_world.commands.size();
    g_world.commands.push_back(commandLine.GetString());
    return at < g_world.exitCodes.size() ? g_world.exitCodes[at] : 0;
}

const FakeConnection kFirm = {"QuillMarsh Professional Trading", 0, "10.200.41.5"};
const FakeConnection kOther = {"Home office", 0, "192.168.7.2"};

struct Row {
    const char* name;
    std::vector<BYTE> request;
    DWORD enumResult;
    std::vector<FakeConnection> connections;
    RouteRefusal refusal;
    DWORD detail;
    const char* clientAddress;
    DWORD commandCount;
};

// Rows print as their names, not their bytes.
void PrintTo(const Row& row, std::ostream* out) { *out << row.name; }

std::vector<BYTE> Request(RouteVerb verb, DWORD version = kRouteProtocolVersion, DWORD tag = kRouteProtocolTag) {
    RouteRequest request = {tag, version, verb, 0};
    const BYTE* bytes = reinterpret_cast<const BYTE*>(&request);
    return std::vector<BYTE>(bytes, bytes + sizeof request);
}

std::vector<BYTE> Resized(std::vector<BYTE> bytes, size_t size) {
    bytes.resize(size);
    return bytes;
}

class RouteRequestHandlerTest : public ::testing::TestWithParam<Row> {
protected:
    void SetUp() override {
        g_world = FakeWorld();
        g_routeServiceSeams = {FakeEnum, FakeProjection, FakeRun};
    }
    void TearDown() override { g_routeServiceSeams = kRealRouteServiceSeams; }
};

TEST_P(RouteRequestHandlerTest, AnswersEachRequestWithItsRefusalOrTheCommandsRun) {
    const Row& row = GetParam();
    g_world.enumResult = row.enumResult;
    g_world.connections = row.connections;
    RouteAnswer answer =
        HandleRouteRequest(row.request.data(), static_cast<DWORD>(row.request.size()), {42, "DESK\\trader"});
    EXPECT_EQ(answer.tag, kRouteProtocolTag);
    EXPECT_EQ(answer.version, kRouteProtocolVersion);
    EXPECT_EQ(answer.refusal, row.refusal) << RouteRefusalText(answer.refusal);
    EXPECT_EQ(answer.detail, row.detail);
    EXPECT_STREQ(answer.clientAddress, row.clientAddress);
    EXPECT_EQ(answer.commandCount, row.commandCount);
    EXPECT_EQ(g_world.commands.size(), row.commandCount);
}

INSTANTIATE_TEST_SUITE_P(
    Requests, RouteRequestHandlerTest,
    ::testing::Values(
        Row{"ShortRecord",
            Resized(Request(RouteVerb::ApplyRoutes), 15),
            0,
            {kFirm},
            RouteRefusal::WrongSize,
            15,
            "",
            0},
        Row{"LongRecord", Resized(Request(RouteVerb::ApplyRoutes), 17), 0, {kFirm}, RouteRefusal::WrongSize, 17, "", 0},
        Row{"OtherTag",
            Request(RouteVerb::ApplyRoutes, 1, 0x12345678),
            0,
            {kFirm},
            RouteRefusal::UnknownVersion,
            1,
            "",
            0},
        Row{"LaterVersion", Request(RouteVerb::ApplyRoutes, 2), 0, {kFirm}, RouteRefusal::UnknownVersion, 2, "", 0},
        Row{"UnknownVerb", Request(static_cast<RouteVerb>(3)), 0, {kFirm}, RouteRefusal::UnknownVerb, 3, "", 0},
        Row{"RasRefuses",
            Request(RouteVerb::ApplyRoutes),
            ERROR_ACCESS_DENIED,
            {kFirm},
            RouteRefusal::RasUnavailable,
            ERROR_ACCESS_DENIED,
            "",
            0},
        Row{"NoConnection", Request(RouteVerb::ApplyRoutes), 0, {}, RouteRefusal::NoConnection, 0, "", 0},
        Row{"OnlyAnotherEntry", Request(RouteVerb::ApplyRoutes), 0, {kOther}, RouteRefusal::NoConnection, 0, "", 0},
        Row{"ProjectionFails",
            Request(RouteVerb::ApplyRoutes),
            0,
            {{"QuillMarsh Professional Trading", 731, ""}},
            RouteRefusal::NoAddress,
            731,
            "",
            0},
        Row{"AddressThatIsNoAddress",
            Request(RouteVerb::ApplyRoutes),
            0,
            {{"QuillMarsh Professional Trading", 0, "10.0.0.1&x"}},
            RouteRefusal::NoAddress,
            0,
            "",
            0},
        Row{"StatusRunsNothing",
            Request(RouteVerb::Status),
            0,
            {kOther, kFirm},
            RouteRefusal::None,
            0,
            "10.200.41.5",
            0},
        Row{"ApplyRunsFiveCommands",
            Request(RouteVerb::ApplyRoutes),
            0,
            {kOther, kFirm},
            RouteRefusal::None,
            0,
            "10.200.41.5",
            5}),
    [](const ::testing::TestParamInfo<Row>& info) { return std::string(info.param.name); });

TEST(RouteRequestHandler, RunsTheLinksOwnCommandsInOrderAndPassesOnEachExitCode) {
    g_world = FakeWorld();
    g_world.connections = {kFirm};
    g_world.exitCodes = {0, 1, 0, 2, 0};
    g_routeServiceSeams = {FakeEnum, FakeProjection, FakeRun};
    std::vector<BYTE> request = Request(RouteVerb::ApplyRoutes);
    RouteAnswer answer = HandleRouteRequest(request.data(), static_cast<DWORD>(request.size()), {42, "DESK\\trader"});
    g_routeServiceSeams = kRealRouteServiceSeams;

    std::vector<CString> expected = RouteCommandLines(VpnLinkSettings().routes, "10.200.41.5");
    ASSERT_EQ(g_world.commands.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(g_world.commands[i], expected[i].GetString());
    EXPECT_EQ(g_world.commands[0], "route DELETE 0.0.0.0 10.200.41.5");
    ASSERT_EQ(answer.commandCount, 5u);
    EXPECT_EQ(std::vector<DWORD>(answer.exitCodes, answer.exitCodes + 5), g_world.exitCodes);
}

} // namespace
