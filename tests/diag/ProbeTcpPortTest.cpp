// The probe against listeners of the test's own on 127.0.0.1, and through the
// Windows Sockets seam where the system will not fail on demand. Every test
// also checks that each start was cleaned up and each socket closed.
#include <gtest/gtest.h>
#include <winsock.h>

#include <string>
#include <vector>

#include "ProbeTcpPort.h"

namespace {

// ---- What the probe obtained and released, seen through the seam.

struct SeamLog {
    std::vector<WORD> versions;
    int startups = 0; // successful ones
    int cleanups = 0;
    std::vector<SOCKET> opened;
    std::vector<SOCKET> closed;
    int failStartupWith = 0;
    int failSocketWith = 0;
};
SeamLog g_log;

int WINAPI LoggedStartup(WORD version, LPWSADATA data) {
    g_log.versions.push_back(version);
    if (g_log.failStartupWith != 0) return g_log.failStartupWith;
    int result = ::WSAStartup(version, data);
    if (result == 0) ++g_log.startups;
    return result;
}

int WINAPI LoggedCleanup() {
    ++g_log.cleanups;
    return ::WSACleanup();
}

SOCKET WINAPI LoggedSocket(int family, int type, int protocol) {
    if (g_log.failSocketWith != 0) {
        WSASetLastError(g_log.failSocketWith);
        return INVALID_SOCKET;
    }
    SOCKET s = ::socket(family, type, protocol);
    if (s != INVALID_SOCKET) g_log.opened.push_back(s);
    return s;
}

int WINAPI LoggedClose(SOCKET s) {
    g_log.closed.push_back(s);
    return ::closesocket(s);
}

std::string SystemText(int code) {
    char* message = nullptr;
    DWORD length =
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER,
                       nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<char*>(&message), 0, nullptr);
    if (length == 0) return std::string();
    std::string text(message, length);
    LocalFree(message);
    return text;
}

// The line a failure should read, from its leading words and its code.
std::string FailureLine(const std::string& lead, int code) {
    return lead + ", failed error=" + std::to_string(code) + ".  " + SystemText(code);
}

// The error number written in a failure line, for codes that differ between systems.
int CodeIn(const std::string& line) {
    const std::string marker = ", failed error=";
    size_t at = line.find(marker);
    if (at == std::string::npos) return 0;
    return std::stoi(line.substr(at + marker.size()));
}

bool WaitReadable(SOCKET s, long seconds) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(s, &set);
    timeval limit = {seconds, 0};
    return select(0, &set, nullptr, nullptr, &limit) == 1;
}

// A TCP socket bound to 127.0.0.1; listening or, for a port that refuses
// connections, only holding the port.
class LoopbackSocket {
public:
    explicit LoopbackSocket(bool listening, unsigned short port = 0) {
        m_socket = ::socket(AF_INET, SOCK_STREAM, 0);
        if (m_socket == INVALID_SOCKET) return;
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = inet_addr("127.0.0.1");
        int length = sizeof address;
        if (bind(m_socket, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
            (!listening || listen(m_socket, 4) == 0) &&
            getsockname(m_socket, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
            m_port = ntohs(address.sin_port);
            m_ready = true;
        }
    }
    ~LoopbackSocket() {
        if (m_socket != INVALID_SOCKET) ::closesocket(m_socket);
    }
    LoopbackSocket(const LoopbackSocket&) = delete;
    LoopbackSocket& operator=(const LoopbackSocket&) = delete;

    bool ready() const { return m_ready; }
    unsigned short port() const { return m_port; }
    std::string portText() const { return std::to_string(m_port); }
    SOCKET handle() const { return m_socket; }

private:
    SOCKET m_socket = INVALID_SOCKET;
    unsigned short m_port = 0;
    bool m_ready = false;
};

class ProbeTcpPortTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The test's own use of sockets, so the probe's clean-up ends only its own.
        WSADATA data;
        ASSERT_EQ(::WSAStartup(0x0101, &data), 0);
        g_log = SeamLog();
        m_saved = g_probeSeams;
        g_probeSeams = ProbeSeams{LoggedStartup, LoggedCleanup, LoggedSocket, LoggedClose};
    }

    void TearDown() override {
        g_probeSeams = m_saved;
        for (WORD version : g_log.versions) EXPECT_EQ(version, 0x0101) << "Windows Sockets 1.1 is asked for";
        EXPECT_EQ(g_log.cleanups, g_log.startups) << "each successful start is cleaned up once, a failed one never";
        EXPECT_EQ(g_log.closed, g_log.opened) << "each socket is closed once";
        ::WSACleanup();
    }

    bool Probe(const char* host, unsigned short port) {
        m_text = "stale text of an earlier call";
        size_t before = g_log.opened.size();
        bool result = ProbeTcpPort(host, port, m_text);
        // The system agrees that the probe's sockets are gone.
        for (size_t i = before; i < g_log.opened.size(); ++i) {
            int type = 0;
            int length = sizeof type;
            EXPECT_EQ(getsockopt(g_log.opened[i], SOL_SOCKET, SO_TYPE, reinterpret_cast<char*>(&type), &length),
                      SOCKET_ERROR);
            EXPECT_EQ(WSAGetLastError(), WSAENOTSOCK);
        }
        return result;
    }
    std::string Text() const { return std::string(m_text); }

    CString m_text;
    ProbeSeams m_saved = {};
};

TEST_F(ProbeTcpPortTest, SuccessByDottedAddressNamesItOnceAndSendsNothing) {
    LoopbackSocket listener(true);
    ASSERT_TRUE(listener.ready());
    EXPECT_TRUE(Probe("127.0.0.1", listener.port()));
    EXPECT_EQ(Text(), "Success on 127.0.0.1 " + listener.portText());

    ASSERT_TRUE(WaitReadable(listener.handle(), 10)) << "the connection reached the listener";
    SOCKET accepted = accept(listener.handle(), nullptr, nullptr);
    ASSERT_NE(accepted, INVALID_SOCKET);
    ASSERT_TRUE(WaitReadable(accepted, 10));
    char byte;
    EXPECT_EQ(recv(accepted, &byte, 1, 0), 0) << "closed without data";
    ::closesocket(accepted);
}

TEST_F(ProbeTcpPortTest, SuccessByNameAddsItsDottedAddress) {
    LoopbackSocket listener(true);
    ASSERT_TRUE(listener.ready());
    EXPECT_TRUE(Probe("localhost", listener.port()));
    EXPECT_EQ(Text(), "Success on localhost (127.0.0.1) " + listener.portText());
}

TEST_F(ProbeTcpPortTest, DottedAddressInAnotherFormGetsTheSystemsForm) {
    LoopbackSocket listener(true);
    ASSERT_TRUE(listener.ready());
    EXPECT_TRUE(Probe("127.1", listener.port()));
    EXPECT_EQ(Text(), "Success on 127.1 (127.0.0.1) " + listener.portText());
}

TEST_F(ProbeTcpPortTest, RefusedConnectionGivesTheCodeAndTheUntrimmedSystemText) {
    LoopbackSocket closedPort(false);
    ASSERT_TRUE(closedPort.ready());
    std::string systemText = SystemText(WSAECONNREFUSED);
    ASSERT_GE(systemText.size(), 2u);
    ASSERT_EQ(systemText.substr(systemText.size() - 2), "\r\n") << "premise: the system's text ends in a line end";

    EXPECT_FALSE(Probe("127.0.0.1", closedPort.port()));
    EXPECT_EQ(Text(), "Failed connecting, 127.0.0.1 " + closedPort.portText() + ", failed error=10061.  " + systemText);

    EXPECT_FALSE(Probe("localhost", closedPort.port()));
    EXPECT_EQ(Text(), "Failed connecting, localhost (127.0.0.1) " + closedPort.portText() + ", failed error=10061.  " +
                          systemText);
}

TEST_F(ProbeTcpPortTest, UnresolvableNameGivesTheLookupFailureAndClosesTheSocket) {
    EXPECT_FALSE(Probe("qm-probe-test.invalid", 17777));
    int code = CodeIn(Text());
    // 11001 where a resolver answers, 11002 where none can be reached.
    EXPECT_TRUE(code == WSAHOST_NOT_FOUND || code == WSATRY_AGAIN) << Text();
    EXPECT_EQ(Text(), FailureLine("Failed getting host by name, qm-probe-test.invalid", code));
    EXPECT_EQ(g_log.opened.size(), 1u) << "the socket made before the lookup";
}

TEST_F(ProbeTcpPortTest, PortsAreWrittenUnsignedWithoutPadding) {
    // Port 0 takes no connection; which error it gives depends on the system.
    EXPECT_FALSE(Probe("127.0.0.1", 0));
    EXPECT_EQ(Text(), FailureLine("Failed connecting, 127.0.0.1 0", CodeIn(Text())));
    EXPECT_NE(CodeIn(Text()), 0);

    LoopbackSocket highest(true, 65535);
    bool reached = Probe("127.0.0.1", 65535);
    if (highest.ready() || reached)
        EXPECT_EQ(Text(), "Success on 127.0.0.1 65535");
    else
        EXPECT_EQ(Text(), FailureLine("Failed connecting, 127.0.0.1 65535", CodeIn(Text())));
}

TEST_F(ProbeTcpPortTest, FailedStartReportsItsOwnCodeAndReleasesNothing) {
    g_log.failStartupWith = WSASYSNOTREADY;
    EXPECT_FALSE(Probe("127.0.0.1", 17777));
    EXPECT_EQ(Text(), FailureLine("Failed starting Windows Sockets 1.1", WSASYSNOTREADY));
    EXPECT_TRUE(g_log.opened.empty());
    EXPECT_EQ(g_log.cleanups, 0);
}

TEST_F(ProbeTcpPortTest, CodeWithoutSystemTextIsWrittenSignedAndEndsTheLine) {
    const int code = static_cast<int>(0xE0000001); // customer-defined: no system text
    ASSERT_EQ(SystemText(code), "");
    g_log.failStartupWith = code;
    EXPECT_FALSE(Probe("127.0.0.1", 17777));
    EXPECT_EQ(Text(), "Failed starting Windows Sockets 1.1, failed error=-536870911.  ");
}

TEST_F(ProbeTcpPortTest, NoSocketReportsTheCodeAndCleansUp) {
    g_log.failSocketWith = WSAEMFILE;
    EXPECT_FALSE(Probe("127.0.0.1", 17777));
    EXPECT_EQ(Text(), FailureLine("Failed creating socket", WSAEMFILE));
    EXPECT_EQ(g_log.startups, 1);
    EXPECT_EQ(g_log.cleanups, 1);
    EXPECT_TRUE(g_log.closed.empty());
}

} // namespace
