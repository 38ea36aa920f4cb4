// The phonebook entry: written whole when missing or out of date, left alone
// when its host and security options still match, and every failure reported.
#include <gtest/gtest.h>

#include <map>

#include "VpnLinkTestFixture.h"

namespace {

const std::map<std::string, std::string> kWrittenFields = {
    {"entry.dwSize", "2088"},
    {"entry.dwfOptions", "6664"}, // 0x1A08
    {"entry.szLocalPhoneNumber", "vpn.quillmarsh-holdings.com"},
    {"entry.dwfNetProtocols", "4"},
    {"entry.szDeviceType", "vpn"},
    {"entry.szDeviceName", "RAS VPN Line 0"},
    {"entry.dwType", "2"},
    {"entry.dwVpnStrategy", "1"},
};

bool IsEmptyValue(const std::string& value) {
    return value.empty() || value == "0" || value == "0.0.0.0" || value == "{00000000-0000-0000-0000-000000000000}";
}

using Settings = std::vector<std::pair<std::string, std::string>>;

Settings FirmEntry(const std::string& host, DWORD options) {
    return {{"dwfOptions", std::to_string(options)},
            {"szLocalPhoneNumber", host},
            {"dwfNetProtocols", "4"},
            {"szDeviceType", "vpn"},
            {"szDeviceName", "Hand Edited Device"},
            {"szScript", "logon.scp"},
            {"dwIdleDisconnectSeconds", "600"},
            {"dwType", "2"},
            {"dwVpnStrategy", "3"}};
}

std::vector<std::string> Names(std::initializer_list<const char*> names) {
    return std::vector<std::string>(names.begin(), names.end());
}

TEST_F(VpnLinkTest, MissingEntryIsWrittenAtOnceWithExactlyTheFirmSettings) {
    VpnLink link;
    ASSERT_EQ(link.Connect(), 0u) << link.LastError();
    std::vector<LogLine> calls = RasCalls();
    EXPECT_EQ(CallNames(calls),
              Names({"RasGetEntryPropertiesA/size", "RasSetEntryPropertiesA", "RasDialA", "RasGetProjectionInfoA"}));
    ASSERT_EQ(calls.size(), 4u);

    const LogLine& query = calls[0];
    EXPECT_EQ(query.Get("pbk"), "(null)");
    EXPECT_EQ(query.Get("name"), kEntryName);
    EXPECT_EQ(query.Get("info"), "null");
    EXPECT_EQ(query.Get("size"), "0");
    EXPECT_EQ(query.Get("devinfo"), "null");
    EXPECT_EQ(query.Get("devsize"), "null");
    EXPECT_EQ(query.Get("result"), "623");

    const LogLine& write = calls[1];
    EXPECT_EQ(write.Get("pbk"), "(null)");
    EXPECT_EQ(write.Get("name"), kEntryName);
    EXPECT_EQ(write.Get("size"), "2088");
    EXPECT_EQ(write.Get("devinfo"), "null");
    EXPECT_EQ(write.Get("devsize"), "0");
    int fields = 0;
    for (const auto& field : write.fields) {
        if (field.first.compare(0, 6, "entry.") != 0) continue;
        ++fields;
        auto expected = kWrittenFields.find(field.first);
        if (expected != kWrittenFields.end())
            EXPECT_EQ(field.second, expected->second) << field.first;
        else
            EXPECT_TRUE(IsEmptyValue(field.second)) << field.first << "=" << field.second;
    }
    // The record ends with dwVpnStrategy: 40 fields, nothing of later versions.
    EXPECT_EQ(fields, 40);
    EXPECT_FALSE(write.Has("entry.dwfOptions2"));

    std::map<std::string, std::string> stored = StoredEntry(kEntryName);
    EXPECT_EQ(stored["szLocalPhoneNumber"], "vpn.quillmarsh-holdings.com");
    EXPECT_EQ(stored["dwfOptions"], "6664");
    EXPECT_EQ(stored["szDeviceName"], "RAS VPN Line 0");
    EXPECT_EQ(stored["dwVpnStrategy"], "1");
}

TEST_F(VpnLinkTest, EntryThatStillMatchesIsReadBackAndKept) {
    struct Case {
        const char* what;
        std::string host;
        DWORD options;
    } cases[] = {
        {"host differs only in case", "VPN.QuillMarsh-Holdings.COM", 0x1A08},
        {"extra option bits, the default gateway among them", "vpn.quillmarsh-holdings.com",
         0x1A08 | RASEO_RemoteDefaultGateway | RASEO_ModemLights},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ClearLogs();
        SeedEntry(kEntryName, FirmEntry(c.host, c.options));
        {
            VpnLink link;
            ASSERT_EQ(link.Connect(), 0u) << link.LastError();
            std::vector<LogLine> calls = RasCalls();
            EXPECT_EQ(CallNames(calls), Names({"RasGetEntryPropertiesA/size", "RasGetEntryPropertiesA/get", "RasDialA",
                                               "RasGetProjectionInfoA"}));
            ASSERT_GE(calls.size(), 2u);
            EXPECT_EQ(calls[0].Get("result"), "603");
            // The block is as large as RAS asked for, and says so in dwSize.
            EXPECT_EQ(calls[1].Get("size"), calls[0].Get("out.size"));
            EXPECT_EQ(calls[1].Get("entry.dwSize"), calls[0].Get("out.size"));
            EXPECT_EQ(calls[1].Get("pbk"), "(null)");
            EXPECT_EQ(calls[1].Get("devinfo"), "null");
            EXPECT_EQ(calls[1].Get("devsize"), "null");
        }
        std::map<std::string, std::string> stored = StoredEntry(kEntryName);
        EXPECT_EQ(stored["szDeviceName"], "Hand Edited Device");
        EXPECT_EQ(stored["szLocalPhoneNumber"], c.host);
    }
}

TEST_F(VpnLinkTest, EntryMissingARequiredOptionOrHostIsRewrittenWhole) {
    struct Case {
        const char* what;
        std::string host;
        DWORD options;
    } cases[] = {
        {"no IP header compression", "vpn.quillmarsh-holdings.com", 0x1A08 & ~RASEO_IpHeaderCompression},
        {"no software compression", "vpn.quillmarsh-holdings.com", 0x1A08 & ~RASEO_SwCompression},
        {"no MS encrypted password", "vpn.quillmarsh-holdings.com", 0x1A08 & ~RASEO_RequireMsEncryptedPw},
        {"no data encryption", "vpn.quillmarsh-holdings.com", 0x1A08 & ~RASEO_RequireDataEncryption},
        {"another gateway", "vpn.quillmarsh-holdings.net", 0x1A08},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ClearLogs();
        SeedEntry(kEntryName, FirmEntry(c.host, c.options));
        {
            VpnLink link;
            ASSERT_EQ(link.Connect(), 0u) << link.LastError();
        }
        EXPECT_EQ(CallNames(RasCalls()),
                  Names({"RasGetEntryPropertiesA/size", "RasGetEntryPropertiesA/get", "RasSetEntryPropertiesA",
                         "RasDialA", "RasGetProjectionInfoA", "RasHangUpA", "RasGetConnectStatusA",
                         "RasGetConnectStatusA", "RasGetConnectStatusA"}));
        std::map<std::string, std::string> stored = StoredEntry(kEntryName);
        EXPECT_EQ(stored["dwfOptions"], "6664");
        EXPECT_EQ(stored["szLocalPhoneNumber"], "vpn.quillmarsh-holdings.com");
        EXPECT_EQ(stored["szDeviceName"], "RAS VPN Line 0");
        EXPECT_EQ(stored["dwVpnStrategy"], "1");
        // Settings the firm's entry does not have are gone.
        EXPECT_EQ(stored["szScript"], "");
        EXPECT_EQ(stored["dwIdleDisconnectSeconds"], "0");
    }
}

TEST_F(VpnLinkTest, ReportedSizeShorterThanTheRecordIsReadWithinTheBlock) {
    SeedEntry(kEntryName, FirmEntry("vpn.quillmarsh-holdings.com", 0x1A08));
    Scenario("size.bytes=8\nget.result=0");
    VpnLink link;
    ASSERT_EQ(link.Connect(), 0u) << link.LastError();
    std::vector<LogLine> reads = CallsOf(RasCalls(), "RasGetEntryPropertiesA");
    ASSERT_EQ(reads.size(), 2u);
    EXPECT_EQ(reads[1].Get("entry.dwSize"), "8");
    EXPECT_EQ(reads[1].Get("size"), "8");
    // Nothing was read into the block, so the entry cannot count as current.
    EXPECT_EQ(CallsOf(RasCalls(), "RasSetEntryPropertiesA").size(), 1u);
}

// Each RAS call failing: the link gives the failing call's text, and the
// dial's error when it was the dial; it dials nothing when the entry failed,
// and hangs up whatever it dialled.
class RasFaultTest : public VpnLinkTest, public ::testing::WithParamInterface<RasFault> {};

TEST_P(RasFaultTest, FailureIsReportedAndEverythingReleased) {
    const RasFault& fault = GetParam();
    ScriptFault(fault);
    {
        VpnLink link;
        EXPECT_EQ(link.Connect(), fault.dialError ? fault.dialError : VpnLink::kLinkFailed);
        EXPECT_STREQ(link.LastError(), fault.text);
        if (!fault.dialled) {
            EXPECT_EQ(recorder.released.size(), 1u);
            EXPECT_TRUE(CallsOf(RasCalls(), "RasDialA").empty());
        }
    }
    EXPECT_EQ(recorder.released.size(), 1u);
    ExpectEveryDialHungUp();
}

INSTANTIATE_TEST_SUITE_P(VpnLink, RasFaultTest, ::testing::ValuesIn(kRasFaults), RasFaultName);

} // namespace
