// The service's pipe served in this process, with RAS and the command runner
// replaced: refusals of what is not a request, each followed by a request that
// is still answered; no second instance; and the program's check of the server.
#include <gtest/gtest.h>

#include <aclapi.h>

#include <string>
#include <vector>

#include "RoutePipeServer.h"
#include "RouteRequestHandler.h"
#include "RouteServiceClient.h"

namespace {

bool g_firmConnected = false;
int g_enumCalls = 0;
LONG g_commandsRun = 0;

DWORD WINAPI FakeEnum(RasConn412* connections, LPDWORD, LPDWORD count) {
    ++g_enumCalls;
    *count = g_firmConnected ? 1 : 0;
    if (g_firmConnected) {
        lstrcpynA(connections[0].szEntryName, "QuillMarsh Professional Trading", sizeof connections[0].szEntryName);
        connections[0].hrasconn = reinterpret_cast<HRASCONN>(static_cast<UINT_PTR>(0x104));
    }
    return 0;
}

DWORD WINAPI FakeProjection(HRASCONN, RASPROJECTION, LPVOID info, LPDWORD) {
    lstrcpynA(static_cast<RasPppIp48*>(info)->szIpAddress, "10.200.41.5", RAS_MaxIpAddress + 1);
    return 0;
}

LONG g_runsInFlight = 0;
LONG g_mostRunsInFlight = 0;

DWORD FakeRun(const char*, CString, DWORD) {
    LONG inFlight = InterlockedIncrement(&g_runsInFlight);
    if (inFlight > g_mostRunsInFlight) InterlockedExchange(&g_mostRunsInFlight, inFlight);
    InterlockedIncrement(&g_commandsRun);
    Sleep(10);
    InterlockedDecrement(&g_runsInFlight);
    return 0;
}

DWORD g_serviceProcessId = 0;
DWORD ServiceProcessIdForTest(CString&) { return g_serviceProcessId; }

DWORD WINAPI Serve(LPVOID parameter) {
    HANDLE* handles = static_cast<HANDLE*>(parameter);
    ServeRoutePipe(handles[0], handles[1]);
    return 0;
}

class RoutePipeTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_firmConnected = false;
        g_enumCalls = g_commandsRun = 0;
        g_runsInFlight = g_mostRunsInFlight = 0;
        g_serviceProcessId = GetCurrentProcessId();
        g_routeServiceSeams = {FakeEnum, FakeProjection, FakeRun};
        g_routeClientSeams.serviceProcessId = ServiceProcessIdForTest;
        DWORD error = 0;
        m_handles[0] = CreateRoutePipe(error);
        ASSERT_NE(m_handles[0], INVALID_HANDLE_VALUE) << error;
        m_handles[1] = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        m_server = CreateThread(nullptr, 0, Serve, m_handles, 0, nullptr);
    }
    void TearDown() override {
        if (m_server) {
            SetEvent(m_handles[1]);
            EXPECT_EQ(WaitForSingleObject(m_server, 30000), WAIT_OBJECT_0);
            CloseHandle(m_server);
        }
        if (m_handles[0] != INVALID_HANDLE_VALUE) CloseHandle(m_handles[0]);
        if (m_handles[1]) CloseHandle(m_handles[1]);
        g_routeServiceSeams = kRealRouteServiceSeams;
        g_routeClientSeams = kRealRouteClientSeams;
    }

    // Sends `bytes` (none at all when empty) and reads what comes back.
    static RouteAnswer Raw(const std::vector<BYTE>& bytes) {
        RouteAnswer answer;
        ZeroMemory(&answer, sizeof answer);
        EXPECT_TRUE(WaitNamedPipeA(kRouteServicePipe, 10000));
        HANDLE pipe = CreateFileA(kRouteServicePipe, GENERIC_READ | FILE_WRITE_DATA | FILE_WRITE_ATTRIBUTES, 0, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        EXPECT_NE(pipe, INVALID_HANDLE_VALUE) << GetLastError();
        if (pipe == INVALID_HANDLE_VALUE) return answer;
        DWORD mode = PIPE_READMODE_MESSAGE, done = 0;
        SetNamedPipeHandleState(pipe, &mode, nullptr, nullptr);
        if (!bytes.empty()) {
            EXPECT_TRUE(WriteFile(pipe, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr));
        }
        // A client slow to take its answer still gets it; the server's own
        // time limit ends a silent client's wait.
        Sleep(200);
        EXPECT_TRUE(ReadFile(pipe, &answer, sizeof answer, &done, nullptr)) << GetLastError();
        EXPECT_EQ(done, sizeof answer);
        CloseHandle(pipe);
        return answer;
    }

    static RouteRefusal Ask(RouteVerb verb, RouteAnswer* out = nullptr) {
        RouteAnswer answer;
        CString why;
        EXPECT_TRUE(AskRouteService(verb, answer, why)) << why.GetString();
        if (out) *out = answer;
        return answer.refusal;
    }

    HANDLE m_handles[2] = {INVALID_HANDLE_VALUE, nullptr};
    HANDLE m_server = nullptr;
};

TEST_F(RoutePipeTest, RefusesWhatIsNotARequestAndKeepsServing) {
    RouteRequest good = {kRouteProtocolTag, kRouteProtocolVersion, RouteVerb::Status, 0};
    const BYTE* bytes = reinterpret_cast<const BYTE*>(&good);

    EXPECT_EQ(Raw(std::vector<BYTE>(bytes, bytes + 3)).refusal, RouteRefusal::WrongSize);
    EXPECT_EQ(Ask(RouteVerb::Status), RouteRefusal::NoConnection);
    EXPECT_EQ(Raw(std::vector<BYTE>(300, 0x41)).refusal, RouteRefusal::WrongSize);
    EXPECT_EQ(Ask(RouteVerb::Status), RouteRefusal::NoConnection);
    EXPECT_EQ(Raw({}).refusal, RouteRefusal::NoRequest);
    EXPECT_EQ(Ask(RouteVerb::ApplyRoutes), RouteRefusal::NoConnection);
    EXPECT_EQ(g_commandsRun, 0);

    g_firmConnected = true;
    RouteAnswer answer;
    EXPECT_EQ(Ask(RouteVerb::ApplyRoutes, &answer), RouteRefusal::None);
    EXPECT_STREQ(answer.clientAddress, "10.200.41.5");
    EXPECT_EQ(answer.commandCount, 5u);
    EXPECT_EQ(g_commandsRun, 5);
}

// Outlives the flood's client threads, even one still asking when the test
// gives up on it.
LONG g_answered = 0;

DWORD WINAPI AskToApply(LPVOID) {
    RouteAnswer answer;
    CString why;
    if (AskRouteService(RouteVerb::ApplyRoutes, answer, why) && answer.refusal == RouteRefusal::None &&
        answer.commandCount == 5)
        InterlockedIncrement(&g_answered);
    return 0;
}

TEST_F(RoutePipeTest, AFloodOfRequestsIsAnsweredOneRouteRunAtATime) {
    g_firmConnected = true;
    g_answered = 0;
    HANDLE clients[6];
    for (HANDLE& client : clients) client = CreateThread(nullptr, 0, AskToApply, nullptr, 0, nullptr);
    EXPECT_EQ(WaitForMultipleObjects(6, clients, TRUE, 60000), WAIT_OBJECT_0);
    for (HANDLE client : clients) CloseHandle(client);
    EXPECT_EQ(g_answered, 6);
    EXPECT_EQ(g_commandsRun, 30);
    EXPECT_EQ(g_mostRunsInFlight, 1);
    EXPECT_EQ(Ask(RouteVerb::Status), RouteRefusal::None);
}

// Whether the system keeps the generic rights as given (Wine) or mapped to the
// pipe's own (Windows), what each entry allows or denies is the same.
TEST_F(RoutePipeTest, ThePipeDeniesEveryoneASecondInstanceAndNetworkAndAnonymousCallersEverything) {
    struct Entry {
        WELL_KNOWN_SID_TYPE who;
        BYTE type;
        ACCESS_MASK rights;
    };
    const Entry expected[] = {
        {WinNetworkSid, ACCESS_DENIED_ACE_TYPE, FILE_ALL_ACCESS},
        {WinAnonymousSid, ACCESS_DENIED_ACE_TYPE, FILE_ALL_ACCESS},
        // Before the interactive users' entry, whose write right holds it.
        {WinWorldSid, ACCESS_DENIED_ACE_TYPE, FILE_CREATE_PIPE_INSTANCE},
        {WinLocalSystemSid, ACCESS_ALLOWED_ACE_TYPE, FILE_ALL_ACCESS},
        {WinInteractiveSid, ACCESS_ALLOWED_ACE_TYPE, FILE_GENERIC_READ | FILE_GENERIC_WRITE},
    };
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_EQ(GetSecurityInfo(m_handles[0], SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl,
                              nullptr, &descriptor),
              ERROR_SUCCESS);
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    EXPECT_TRUE(GetSecurityDescriptorControl(descriptor, &control, &revision));
    EXPECT_TRUE(control & SE_DACL_PROTECTED);
    ASSERT_NE(dacl, nullptr);
    ASSERT_EQ(dacl->AceCount, sizeof expected / sizeof expected[0]);
    GENERIC_MAPPING pipeRights = {FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE, FILE_ALL_ACCESS};
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        ACCESS_ALLOWED_ACE* ace = nullptr; // a denying entry has the same layout
        ASSERT_TRUE(GetAce(dacl, i, reinterpret_cast<void**>(&ace)));
        BYTE sid[SECURITY_MAX_SID_SIZE];
        DWORD size = sizeof sid;
        ASSERT_TRUE(CreateWellKnownSid(expected[i].who, nullptr, sid, &size));
        EXPECT_TRUE(EqualSid(&ace->SidStart, sid)) << i;
        EXPECT_EQ(ace->Header.AceType, expected[i].type) << i;
        ACCESS_MASK rights = ace->Mask;
        MapGenericMask(&rights, &pipeRights);
        EXPECT_EQ(rights, expected[i].rights) << i;
    }
    LocalFree(descriptor);
}

TEST_F(RoutePipeTest, NoSecondInstanceOfThePipeCanBeMade) {
    HANDLE second = CreateNamedPipeA(kRouteServicePipe, PIPE_ACCESS_DUPLEX, PIPE_TYPE_MESSAGE, 1, 64, 64, 0, nullptr);
    EXPECT_EQ(second, INVALID_HANDLE_VALUE);
    if (second != INVALID_HANDLE_VALUE) CloseHandle(second);
    DWORD error = 0;
    HANDLE again = CreateRoutePipe(error);
    EXPECT_EQ(again, INVALID_HANDLE_VALUE);
    if (again != INVALID_HANDLE_VALUE) CloseHandle(again);
    EXPECT_EQ(Ask(RouteVerb::Status), RouteRefusal::NoConnection);
}

TEST_F(RoutePipeTest, TheProgramTellsNothingToAPipeWhoseServerIsNotTheService) {
    g_firmConnected = true;
    g_serviceProcessId = GetCurrentProcessId() + 4;
    RouteAnswer answer;
    CString why;
    EXPECT_FALSE(AskRouteService(RouteVerb::ApplyRoutes, answer, why));
    EXPECT_NE(std::string(why.GetString()).find("is not the route service"), std::string::npos) << why.GetString();
    EXPECT_EQ(g_enumCalls, 0);
    EXPECT_EQ(g_commandsRun, 0);
}

} // namespace
