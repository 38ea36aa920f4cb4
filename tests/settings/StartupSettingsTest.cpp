// The start-up sequence of the login dialog, one registry layout at a time.
#include "RegistryKeyTest.h"
#include "StartupSettings.h"

#include <algorithm>

namespace {

const char* const kPreset = StartupSettings::kConfigHostPreset;
const int kPresetPort = StartupSettings::kConfigPortPreset;
const char* const kMarker = SettingsStore::kMarkerValue;
const char* const kPort = SettingsStore::kConfigPortValue;
const char* const kHost = SettingsStore::kConfigHostValue;
const char* const kSsl = SettingsStore::kConfigSslValue;
const char* const kLogin = SettingsStore::kLoginNameValue;

class StartupSettingsTest : public RegistryKeyTest {
protected:
    // Runs the sequence the way the dialog does, from the presets.
    void Load() {
        m_host = kPreset;
        m_port = kPresetPort;
        StartupSettings::LoadConfigServer(m_host, m_port, m_root, m_subKey.c_str());
    }
    bool ReadLogin() { return StartupSettings::ReadLoginName(m_login, m_root, m_subKey.c_str()); }

    void ExpectPresetsWrittenAndUsed() {
        EXPECT_STREQ(m_host, kPreset);
        EXPECT_EQ(m_port, kPresetPort);
        EXPECT_EQ(Stored(kSsl).type, static_cast<DWORD>(REG_DWORD));
        EXPECT_EQ(Stored(kSsl).data, DwordBytes(0));
        EXPECT_EQ(Stored(kHost).type, static_cast<DWORD>(REG_SZ));
        EXPECT_EQ(Stored(kHost).data, TextWithNul(kPreset));
    }

    CString m_host;
    int m_port = 0;
    CString m_login = "untouched";
};

// The real product key, reached through the default arguments, as on a user's
// first start.
TEST_F(StartupSettingsTest, FreshProfileGetsTheKeyAndExactlyTheTwoPresets) {
    m_subKey = SettingsStore::kProductKey;
    RemoveKey(m_root, m_subKey);
    ASSERT_FALSE(KeyExists());

    CString host = kPreset;
    int port = kPresetPort;
    StartupSettings::LoadConfigServer(host, port);
    m_host = host;
    m_port = port;

    ASSERT_TRUE(KeyExists());
    ExpectPresetsWrittenAndUsed();
    std::vector<std::string> names = ValueNames();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{kHost, kSsl})) << "neither the port nor the marker is written";
    EXPECT_FALSE(StartupSettings::ReadLoginName(m_login));
    EXPECT_STREQ(m_login, "untouched");
}

TEST_F(StartupSettingsTest, HostDeletedWithoutMarkerIsWrittenAgainAndReadsBackUnchanged) {
    Load();
    DeleteValue(kHost);
    Load();
    ExpectPresetsWrittenAndUsed();

    SetRaw(kMarker, REG_BINARY, Bytes{0});
    m_host = "other";
    StartupSettings::LoadConfigServer(m_host, m_port, m_root, m_subKey.c_str());
    EXPECT_STREQ(m_host, kPreset);
}

TEST_F(StartupSettingsTest, WithoutFullAccessThePresetsAreUsedAndNothingIsRead) {
    SetRaw(kMarker, REG_BINARY, Bytes{1});
    SetRaw(kPort, REG_DWORD, DwordBytes(80));
    SetRaw(kHost, REG_SZ, TextWithNul("127.0.0.1"));
    SetRaw(kLogin, REG_SZ, TextWithNul("jdoe"));
    DenyFullAccess();

    Load();
    EXPECT_STREQ(m_host, kPreset);
    EXPECT_EQ(m_port, kPresetPort);
    EXPECT_EQ(Stored(kHost).data, TextWithNul("127.0.0.1")) << "the preset write failed silently";
    EXPECT_FALSE(Stored(kSsl).exists);
    EXPECT_FALSE(ReadLogin());
    EXPECT_STREQ(m_login, "untouched");
}

// ---- The marker: present exactly when its data is one byte long.

struct MarkerCase {
    const char* label;
    bool exists;
    DWORD type;
    Bytes data;
    bool present;
};
void PrintTo(const MarkerCase& c, std::ostream* os) { *os << c.label; }

class MarkerTest : public StartupSettingsTest, public ::testing::WithParamInterface<MarkerCase> {};

TEST_P(MarkerTest, DecidesBetweenReadingAndWritingPresets) {
    const MarkerCase& c = GetParam();
    if (c.exists) SetRaw(kMarker, c.type, c.data);
    SetRaw(kPort, REG_DWORD, DwordBytes(8080));
    SetRaw(kHost, REG_SZ, TextWithNul("127.0.0.1"));

    Load();
    if (c.present) {
        EXPECT_STREQ(m_host, "127.0.0.1");
        EXPECT_EQ(m_port, 8080);
        EXPECT_FALSE(Stored(kSsl).exists);
        EXPECT_EQ(Stored(kHost).data, TextWithNul("127.0.0.1"));
    } else {
        ExpectPresetsWrittenAndUsed();
    }
    EXPECT_EQ(Stored(kMarker).exists, c.exists) << "the marker is never written";
}

INSTANTIATE_TEST_SUITE_P(Marker, MarkerTest,
                         ::testing::Values(MarkerCase{"Missing", false, REG_NONE, {}, false},
                                           MarkerCase{"EmptyBinary", true, REG_BINARY, {}, false},
                                           MarkerCase{"OneByteBinary", true, REG_BINARY, {0x01}, true},
                                           MarkerCase{"TwoByteBinary", true, REG_BINARY, {0x01, 0x00}, false},
                                           MarkerCase{"FourByteBinary", true, REG_BINARY, {1, 0, 0, 0}, false},
                                           MarkerCase{"EmptyText", true, REG_SZ, {}, false},
                                           MarkerCase{"NulOnlyText", true, REG_SZ, {0}, true},
                                           MarkerCase{"OneCharacterWithoutNul", true, REG_SZ, {'y'}, true},
                                           MarkerCase{"OneCharacterWithNul", true, REG_SZ, {'y', 0}, false},
                                           MarkerCase{"SeveralCharacters", true, REG_SZ, {'y', 'e', 's', 0}, false},
                                           MarkerCase{"Dword", true, REG_DWORD, {1, 0, 0, 0}, false}),
                         [](const ::testing::TestParamInfo<MarkerCase>& info) {
                             return std::string(info.param.label);
                         });

// ---- The port and the host, with the marker present.

class MarkedKeyTest : public StartupSettingsTest {
protected:
    void SetUp() override {
        StartupSettingsTest::SetUp();
        SetRaw(kMarker, REG_BINARY, Bytes{1});
    }
};

TEST_F(MarkedKeyTest, MissingPortKeepsThePresetPort) {
    Load();
    EXPECT_EQ(m_port, kPresetPort);
}

TEST_F(MarkedKeyTest, StoredDwordReplacesThePreset) {
    SetRaw(kPort, REG_DWORD, DwordBytes(8443));
    Load();
    EXPECT_EQ(m_port, 8443);
}

TEST_F(MarkedKeyTest, NumberAboveTheHighestPortKeepsAllBitsAndTheProbeTakesTheLow16) {
    SetRaw(kPort, REG_DWORD, DwordBytes(70000));
    Load();
    EXPECT_EQ(m_port, 70000);
    EXPECT_EQ(static_cast<unsigned short>(m_port), 4464);
}

TEST_F(MarkedKeyTest, TwoBytePortReplacesOnlyTheLowBytes) {
    SetRaw(kPort, REG_BINARY, Bytes{0x50, 0x00});
    Load();
    EXPECT_EQ(m_port, 80);
}

TEST_F(MarkedKeyTest, EightBytePortKeepsThePreset) {
    SetRaw(kPort, REG_BINARY, Bytes{0x50, 0, 0, 0, 0, 0, 0, 0});
    Load();
    EXPECT_EQ(m_port, kPresetPort);
}

// ---- The host, with the marker present: at most 511 characters are taken.

struct HostCase {
    const char* label;
    size_t characters;
    bool nul;
    bool taken;
};
void PrintTo(const HostCase& c, std::ostream* os) { *os << c.label; }

class HostTest : public MarkedKeyTest, public ::testing::WithParamInterface<HostCase> {};

TEST_P(HostTest, IsTakenOnlyWhenItFitsWithItsNul) {
    const HostCase& c = GetParam();
    std::string text(c.characters, 'h');
    SetRaw(kHost, REG_SZ, c.nul ? TextWithNul(text) : BytesOf(text));
    Load();
    if (c.taken)
        EXPECT_EQ(std::string(m_host), text);
    else
        EXPECT_STREQ(m_host, kPreset);
    EXPECT_EQ(Stored(kHost).data.size(), c.characters + (c.nul ? 1 : 0)) << "a refused host is not rewritten";
}

INSTANTIATE_TEST_SUITE_P(Host, HostTest,
                         ::testing::Values(HostCase{"Bytes511WithNul", 510, true, true},
                                           HostCase{"Bytes512WithNul", 511, true, true},
                                           HostCase{"Bytes513WithNul", 512, true, false},
                                           HostCase{"Bytes511WithoutNul", 511, false, true},
                                           HostCase{"Bytes512WithoutNul", 512, false, false},
                                           HostCase{"Bytes513WithoutNul", 513, false, false}),
                         [](const ::testing::TestParamInfo<HostCase>& info) { return std::string(info.param.label); });

TEST_F(MarkedKeyTest, MissingOrEmptyHostKeepsThePreset) {
    Load();
    EXPECT_STREQ(m_host, kPreset);
    SetRaw(kHost, REG_SZ, Bytes());
    Load();
    EXPECT_STREQ(m_host, kPreset);
}

TEST_F(MarkedKeyTest, HostTextEndsAtTheFirstNul) {
    SetRaw(kHost, REG_SZ, Bytes{'1', '2', '7', '.', '0', '.', '0', '.', '1', 0, 'x', 'y'});
    Load();
    EXPECT_STREQ(m_host, "127.0.0.1");
}

// ---- The stored login name: at most 511 bytes, always read as a whole text.

TEST_F(StartupSettingsTest, LoginNameOfUpTo511BytesIsRead) {
    for (size_t characters : {509u, 510u}) {
        std::string name(characters, 'n');
        SetRaw(kLogin, REG_SZ, TextWithNul(name));
        ASSERT_TRUE(ReadLogin()) << characters;
        EXPECT_EQ(std::string(m_login), name);
    }
}

TEST_F(StartupSettingsTest, LoginNameOf511BytesWithoutNulIsReadAsAWholeText) {
    std::string name(511, 'n');
    SetRaw(kLogin, REG_SZ, BytesOf(name));
    ASSERT_TRUE(ReadLogin());
    EXPECT_EQ(std::string(m_login), name);
}

TEST_F(StartupSettingsTest, LoginNameOf512BytesOrMissingIsNotRead) {
    EXPECT_FALSE(ReadLogin());
    SetRaw(kLogin, REG_SZ, TextWithNul(std::string(511, 'n')));
    EXPECT_FALSE(ReadLogin());
    SetRaw(kLogin, REG_SZ, BytesOf(std::string(512, 'n')));
    EXPECT_FALSE(ReadLogin());
    EXPECT_STREQ(m_login, "untouched");
}

} // namespace
