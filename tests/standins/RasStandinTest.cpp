// The RAS stand-in's own contract: the call results the product relies on, the
// record versions it accepts, its phonebook file and its scripted gateway.
#include <gtest/gtest.h>

#include <thread>
#include <windows.h>
#include <ras.h>
#include <raserror.h>
#include <cstddef>
#include <cstring>

#include "StandinFixture.h"

namespace {

const char kEntry[] = "Stand-in Test Entry";

class RasStandinTest : public StandinFixture {
protected:
    void SetUp() override {
        StandinFixture::SetUp();
        m_library = LoadLibraryA("rasapi32.dll");
        ASSERT_NE(m_library, nullptr);
        getEntry = Bind<decltype(&::RasGetEntryPropertiesA)>("RasGetEntryPropertiesA");
        setEntry = Bind<decltype(&::RasSetEntryPropertiesA)>("RasSetEntryPropertiesA");
        dial = Bind<decltype(&::RasDialA)>("RasDialA");
        hangUp = Bind<decltype(&::RasHangUpA)>("RasHangUpA");
        status = Bind<decltype(&::RasGetConnectStatusA)>("RasGetConnectStatusA");
        projection = Bind<decltype(&::RasGetProjectionInfoA)>("RasGetProjectionInfoA");
        ASSERT_TRUE(getEntry && setEntry && dial && hangUp && status && projection);
    }
    void TearDown() override {
        if (m_library) FreeLibrary(m_library);
        StandinFixture::TearDown();
    }

    template <typename Proc>
    Proc Bind(const char* name) {
        return reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(m_library, name)));
    }

    DWORD WriteEntry(DWORD version, const char* phone) {
        RASENTRYA entry;
        std::memset(&entry, 0, sizeof entry);
        entry.dwSize = version;
        entry.dwfOptions = 0x1A08;
        lstrcpynA(entry.szLocalPhoneNumber, phone, sizeof entry.szLocalPhoneNumber);
        entry.dwType = RASET_Vpn;
        return setEntry(nullptr, kEntry, &entry, version, nullptr, 0);
    }

    DWORD Dial(HRASCONN* connection) {
        RASDIALPARAMSA params;
        std::memset(&params, 0, sizeof params);
        params.dwSize = 1060;
        lstrcpyA(params.szEntryName, kEntry);
        return dial(nullptr, nullptr, &params, 0, nullptr, connection);
    }

    DWORD Status(HRASCONN connection, DWORD version = 288, RASCONNSTATUSA* seen = nullptr) {
        RASCONNSTATUSA record;
        std::memset(&record, 0, sizeof record);
        record.dwSize = version;
        DWORD result = status(connection, &record);
        if (seen) *seen = record;
        return result;
    }

    // The state a status query reports and the error it carries.
    std::pair<RASCONNSTATE, DWORD> Link(HRASCONN connection) {
        RASCONNSTATUSA seen = {};
        EXPECT_EQ(Status(connection, 288, &seen), 0u);
        return {seen.rasconnstate, seen.dwError};
    }

    void Reload() {
        FreeLibrary(m_library);
        m_library = LoadLibraryA("rasapi32.dll");
        ASSERT_NE(m_library, nullptr);
        dial = Bind<decltype(&::RasDialA)>("RasDialA");
        hangUp = Bind<decltype(&::RasHangUpA)>("RasHangUpA");
        ASSERT_TRUE(dial && hangUp);
    }

    HMODULE m_library = nullptr;
    decltype(&::RasGetEntryPropertiesA) getEntry = nullptr;
    decltype(&::RasSetEntryPropertiesA) setEntry = nullptr;
    decltype(&::RasDialA) dial = nullptr;
    decltype(&::RasHangUpA) hangUp = nullptr;
    decltype(&::RasGetConnectStatusA) status = nullptr;
    decltype(&::RasGetProjectionInfoA) projection = nullptr;
};

TEST_F(RasStandinTest, SizeQueryFindsNoEntryThenReportsTheSizeOfAWrittenOne) {
    DWORD size = 0;
    EXPECT_EQ(getEntry(nullptr, kEntry, nullptr, &size, nullptr, nullptr),
              static_cast<DWORD>(ERROR_CANNOT_FIND_PHONEBOOK_ENTRY));

    ASSERT_EQ(WriteEntry(2088, "gateway.example.com"), 0u);
    size = 0;
    ASSERT_EQ(getEntry(nullptr, kEntry, nullptr, &size, nullptr, nullptr), static_cast<DWORD>(ERROR_BUFFER_TOO_SMALL));
    EXPECT_EQ(size, sizeof(RASENTRYA));

    RASENTRYA read;
    std::memset(&read, 0xCC, sizeof read);
    read.dwSize = size;
    ASSERT_EQ(getEntry(nullptr, kEntry, &read, &size, nullptr, nullptr), 0u);
    EXPECT_STREQ(read.szLocalPhoneNumber, "gateway.example.com");
    EXPECT_EQ(read.dwfOptions, 0x1A08u);
    EXPECT_EQ(read.dwType, static_cast<DWORD>(RASET_Vpn));
    EXPECT_EQ(read.dwVpnStrategy, 0u);
    EXPECT_EQ(read.dwSize, sizeof(RASENTRYA));

    std::vector<LogLine> calls = RasCalls();
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[0].Get("result"), "623");
    EXPECT_EQ(calls[1].Get("entry.szLocalPhoneNumber"), "gateway.example.com");
    EXPECT_EQ(calls[2].Get("out.size"), std::to_string(sizeof(RASENTRYA)));
    EXPECT_EQ(calls[3].Get("kind"), "get");
}

TEST_F(RasStandinTest, RecordsOfAnUnpublishedSizeAreRejected) {
    EXPECT_EQ(WriteEntry(2000, "x"), static_cast<DWORD>(ERROR_INVALID_SIZE));
    EXPECT_EQ(WriteEntry(2088, "x"), 0u);
    EXPECT_EQ(WriteEntry(sizeof(RASENTRYA), "x"), 0u);

    RASENTRYA read = {};
    read.dwSize = 100;
    DWORD size = sizeof read;
    EXPECT_EQ(getEntry(nullptr, kEntry, &read, &size, nullptr, nullptr), static_cast<DWORD>(ERROR_INVALID_SIZE));

    RASDIALPARAMSA params = {};
    params.dwSize = 1000;
    lstrcpyA(params.szEntryName, kEntry);
    HRASCONN connection = nullptr;
    EXPECT_EQ(dial(nullptr, nullptr, &params, 0, nullptr, &connection), static_cast<DWORD>(ERROR_INVALID_SIZE));
    EXPECT_EQ(connection, nullptr);

    ASSERT_EQ(Dial(&connection), 0u);
    EXPECT_EQ(Status(connection, 100), static_cast<DWORD>(ERROR_INVALID_SIZE));
    EXPECT_EQ(Status(connection, 288), 0u);

    RASPPPIPA ip = {};
    ip.dwSize = 20;
    size = sizeof ip;
    EXPECT_EQ(projection(connection, RASP_PppIp, &ip, &size), static_cast<DWORD>(ERROR_INVALID_SIZE));
    ip.dwSize = 48;
    EXPECT_EQ(projection(connection, RASP_PppIp, &ip, &size), 0u);
}

TEST_F(RasStandinTest, HealthyGatewayConnectsHandsOutFirmAddressesAndHangsUp) {
    ASSERT_EQ(WriteEntry(2088, "vpn.example.com"), 0u);
    Scenario("dial.delay_ms=300\nhangup.polls=2");
    HRASCONN connection = nullptr;
    DWORD started = GetTickCount();
    ASSERT_EQ(Dial(&connection), 0u);
    EXPECT_GE(GetTickCount() - started, 250u);
    ASSERT_NE(connection, nullptr);
    EXPECT_EQ(Status(connection), 0u);

    RASPPPIPA ip = {};
    ip.dwSize = sizeof ip;
    DWORD size = sizeof ip;
    ASSERT_EQ(projection(connection, RASP_PppIp, &ip, &size), 0u);
    EXPECT_STREQ(ip.szIpAddress, "10.200.40.23");
    EXPECT_STREQ(ip.szServerIpAddress, "10.200.40.1");

    EXPECT_EQ(hangUp(connection), 0u);
    EXPECT_EQ(Status(connection), 0u);
    EXPECT_EQ(Status(connection), 0u);
    EXPECT_EQ(Status(connection), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(hangUp(connection), static_cast<DWORD>(ERROR_INVALID_HANDLE));

    std::vector<LogLine> dials = CallsOf(RasCalls(), "RasDialA");
    ASSERT_EQ(dials.size(), 1u);
    EXPECT_EQ(dials[0].Get("dialled"), "vpn.example.com");
    EXPECT_EQ(dials[0].Get("conn"), std::to_string(reinterpret_cast<UINT_PTR>(connection)));
}

TEST_F(RasStandinTest, ScenarioScriptsResultsHandlesAndAddresses) {
    Scenario("size.result=5\nset.result=87\ndial.result=691\nprojection.result=0\n"
             "projection.client=10.200.41.7\nprojection.server=10.200.41.1\nhangup.polls=never");
    DWORD size = 0;
    EXPECT_EQ(getEntry(nullptr, kEntry, nullptr, &size, nullptr, nullptr), 5u);
    EXPECT_EQ(WriteEntry(2088, "x"), 87u);
    HRASCONN connection = nullptr;
    // No entry exists, but the script decides.
    EXPECT_EQ(Dial(&connection), 691u);
    ASSERT_NE(connection, nullptr);
    EXPECT_EQ(hangUp(connection), 0u);
    for (int poll = 0; poll < 5; ++poll) EXPECT_EQ(Status(connection), 0u);

    Scenario("dial.result=691\ndial.handle=no\nprojection.client=10.200.41.7\nprojection.server=10.200.41.1");
    HRASCONN none = nullptr;
    EXPECT_EQ(Dial(&none), 691u);
    EXPECT_EQ(none, nullptr);

    Scenario("dial.result=0\nprojection.client=10.200.41.7\nprojection.server=10.200.41.1");
    HRASCONN up = nullptr;
    ASSERT_EQ(Dial(&up), 0u);
    RASPPPIPA ip = {};
    ip.dwSize = sizeof ip;
    size = sizeof ip;
    ASSERT_EQ(projection(up, RASP_PppIp, &ip, &size), 0u);
    EXPECT_STREQ(ip.szIpAddress, "10.200.41.7");
    EXPECT_STREQ(ip.szServerIpAddress, "10.200.41.1");
    EXPECT_TRUE(StoredEntry(kEntry).empty());
}

TEST_F(RasStandinTest, RaisedDropSerialDropsTheLiveLinkButNotOneDialledAfterIt) {
    ASSERT_EQ(WriteEntry(2088, "vpn.example.com"), 0u);
    const std::pair<RASCONNSTATE, DWORD> up(RASCS_Connected, 0);
    HRASCONN first = nullptr;
    ASSERT_EQ(Dial(&first), 0u);
    EXPECT_EQ(Link(first), up);

    Scenario("drop.serial=1");
    EXPECT_EQ(Link(first), std::make_pair(RASCS_Disconnected, static_cast<DWORD>(ERROR_REMOTE_DISCONNECTION)));
    EXPECT_EQ(Link(first), std::make_pair(RASCS_Disconnected, static_cast<DWORD>(ERROR_REMOTE_DISCONNECTION)));
    HRASCONN second = nullptr;
    ASSERT_EQ(Dial(&second), 0u);
    EXPECT_EQ(Link(second), up);
    EXPECT_EQ(hangUp(first), 0u);
    EXPECT_EQ(Status(first), 0u);
    EXPECT_EQ(Status(first), 0u);
    EXPECT_EQ(Status(first), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(Link(second), up);

    Scenario("drop.serial=2\ndrop.error=628");
    EXPECT_EQ(Link(second), std::make_pair(RASCS_Disconnected, static_cast<DWORD>(628)));

    std::vector<LogLine> drops;
    for (const LogLine& line : CallsOf(RasCalls(), "RasGetConnectStatusA"))
        if (line.Has("dropped")) drops.push_back(line);
    ASSERT_EQ(drops.size(), 2u);
    EXPECT_EQ(drops[0].Get("conn"), std::to_string(reinterpret_cast<UINT_PTR>(first)));
    EXPECT_EQ(drops[1].Get("conn"), std::to_string(reinterpret_cast<UINT_PTR>(second)));
    EXPECT_EQ(drops[1].Get("dropped"), "1");
}

TEST_F(RasStandinTest, NextDialsFailUntilTheRunIsSpentAndANewFailSerialArmsAnother) {
    ASSERT_EQ(WriteEntry(2088, "vpn.example.com"), 0u);
    // The run outlives the library in the process; a repeat of this test in
    // the same process needs serials of its own.
    static DWORD serial = 0;
    serial += 2;
    Scenario("dial.fail_serial=" + std::to_string(serial) + "\ndial.fail_next=2\ndial.fail_error=720");
    HRASCONN connection = nullptr;
    EXPECT_EQ(Dial(&connection), 720u);
    EXPECT_NE(connection, nullptr);
    // The program releases the library between attempts.
    Reload();
    EXPECT_EQ(Dial(&connection), 720u);
    EXPECT_EQ(Dial(&connection), 0u);
    EXPECT_EQ(Dial(&connection), 0u);

    Scenario("dial.fail_serial=" + std::to_string(serial + 1) + "\ndial.fail_next=1");
    EXPECT_EQ(Dial(&connection), static_cast<DWORD>(ERROR_AUTOMATIC_VPN_FAILED));
    EXPECT_EQ(Dial(&connection), 0u);

    std::vector<std::string> left;
    for (const LogLine& line : CallsOf(RasCalls(), "RasDialA")) left.push_back(line.Get("fail_left"));
    EXPECT_EQ(left, (std::vector<std::string>{"1", "0", "", "", "0", ""}));
}

TEST_F(RasStandinTest, DialOfAMissingEntryFailsWith623) {
    HRASCONN connection = nullptr;
    EXPECT_EQ(Dial(&connection), static_cast<DWORD>(ERROR_CANNOT_FIND_PHONEBOOK_ENTRY));
}

// Run as a child by PhonebookEntryIsReadBackByTheNextProcess.
TEST_F(RasStandinTest, HelperReadsTheEntryWrittenByItsParent) {
    char expected[256];
    if (!GetEnvironmentVariableA("QM_STANDIN_HELPER_PHONE", expected, sizeof expected))
        GTEST_SKIP() << "only run as a child of another test";
    DWORD size = 0;
    ASSERT_EQ(getEntry(nullptr, kEntry, nullptr, &size, nullptr, nullptr), static_cast<DWORD>(ERROR_BUFFER_TOO_SMALL));
    RASENTRYA read = {};
    read.dwSize = sizeof read;
    size = sizeof read;
    ASSERT_EQ(getEntry(nullptr, kEntry, &read, &size, nullptr, nullptr), 0u);
    EXPECT_STREQ(read.szLocalPhoneNumber, expected);
}

TEST_F(RasStandinTest, PhonebookEntryIsReadBackByTheNextProcess) {
    ASSERT_EQ(WriteEntry(2088, "persisted.example.com"), 0u);
    std::map<std::string, std::string> stored = StoredEntry(kEntry);
    EXPECT_EQ(stored["szLocalPhoneNumber"], "persisted.example.com");
    EXPECT_EQ(stored["dwfOptions"], "6664");

    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, sizeof self);
    SetEnvironmentVariableA("QM_STANDIN_HELPER_PHONE", "persisted.example.com");
    SetEnvironmentVariableA("QM_STANDIN_CHILD", "1");
    std::string output;
    int exitCode = RunCaptured(
        std::string("\"") + self + "\" --gtest_filter=RasStandinTest.HelperReadsTheEntryWrittenByItsParent", &output);
    SetEnvironmentVariableA("QM_STANDIN_HELPER_PHONE", nullptr);
    SetEnvironmentVariableA("QM_STANDIN_CHILD", nullptr);
    EXPECT_EQ(exitCode, 0) << output;
    EXPECT_NE(output.find("[  PASSED  ] 1 test"), std::string::npos) << output;
    // Both processes logged to the one file.
    std::vector<LogLine> reads = CallsOf(RasCalls(), "RasGetEntryPropertiesA");
    ASSERT_EQ(reads.size(), 2u);
    EXPECT_NE(reads[0].Get("pid"), std::to_string(GetCurrentProcessId()));
}

} // namespace

// Every login attempt loads and releases the library; the tenth time must work
// like the first.
TEST_F(RasStandinTest, ServesCallsAfterBeingReleasedAndLoadedAgain) {
    Scenario("dial.delay_ms=0\n");
    ASSERT_EQ(WriteEntry(2088, "vpn.quillmarsh-holdings.com"), 0u);
    for (int round = 0; round < 10; ++round) {
        SCOPED_TRACE(round);
        // As the program does it: each attempt on a thread of its own.
        DWORD dialled = 1, hungUp = 1;
        std::thread attempt([&] {
            HRASCONN connection = nullptr;
            dialled = Dial(&connection);
            hungUp = hangUp(connection);
        });
        attempt.join();
        EXPECT_EQ(dialled, 0u);
        EXPECT_EQ(hungUp, 0u);
        FreeLibrary(m_library);
        m_library = LoadLibraryA("rasapi32.dll");
        ASSERT_NE(m_library, nullptr);
        dial = Bind<decltype(&::RasDialA)>("RasDialA");
        hangUp = Bind<decltype(&::RasHangUpA)>("RasHangUpA");
        ASSERT_TRUE(dial && hangUp);
    }
}
