// The four primitives against real registry values of the types and sizes
// that the program meets.
#include "RegistryKeyTest.h"
#include "SettingsStore.h"

#include <string.h>

namespace {

class SettingsStoreTest : public RegistryKeyTest {
protected:
    DWORD ReadInto(const char* name, BYTE* buffer, DWORD bufferSize) {
        return SettingsStore::ReadStringValue(m_root, m_subKey.c_str(), name, buffer, bufferSize);
    }
};

TEST_F(SettingsStoreTest, WritesAndReadsADword) {
    EXPECT_EQ(SettingsStore::WriteDwordValue(m_root, m_subKey.c_str(), "Number", 0xDEADBEEF), 1);
    StoredValue stored = Stored("Number");
    EXPECT_EQ(stored.type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(stored.data, DwordBytes(0xDEADBEEF));

    DWORD value = 0;
    EXPECT_EQ(SettingsStore::ReadDwordValue(m_root, m_subKey.c_str(), "Number", &value), 1);
    EXPECT_EQ(value, 0xDEADBEEFu);
}

TEST_F(SettingsStoreTest, ReadDwordCopiesShortDataRawAndLeavesDestinationOnFailure) {
    SetRaw("Two", REG_BINARY, Bytes{0x50, 0x00});
    SetRaw("Eight", REG_BINARY, Bytes{1, 2, 3, 4, 5, 6, 7, 8});
    SetRaw("Text", REG_SZ, TextWithNul("ab"));

    DWORD value = 0x11224571;
    EXPECT_EQ(SettingsStore::ReadDwordValue(m_root, m_subKey.c_str(), "Two", &value), 1);
    EXPECT_EQ(value, 0x11220050u) << "only the two stored bytes are replaced";

    value = 0x11224571;
    EXPECT_EQ(SettingsStore::ReadDwordValue(m_root, m_subKey.c_str(), "Text", &value), 1)
        << "the type is not looked at";
    EXPECT_EQ(value, 0x11006261u);

    value = 17777;
    EXPECT_EQ(SettingsStore::ReadDwordValue(m_root, m_subKey.c_str(), "Eight", &value), 0);
    EXPECT_EQ(value, 17777u);
    EXPECT_EQ(SettingsStore::ReadDwordValue(m_root, m_subKey.c_str(), "Missing", &value), 0);
    EXPECT_EQ(value, 17777u);
}

TEST_F(SettingsStoreTest, WriteStringStoresTheTextWithItsNul) {
    EXPECT_EQ(SettingsStore::WriteStringValue(m_root, m_subKey.c_str(), "Host", "cfg.example"), 11);
    StoredValue stored = Stored("Host");
    EXPECT_EQ(stored.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(stored.data, TextWithNul("cfg.example"));

    BYTE buffer[32];
    memset(buffer, 0xCC, sizeof buffer);
    ASSERT_EQ(ReadInto("Host", buffer, sizeof buffer), 12u);
    EXPECT_STREQ(reinterpret_cast<char*>(buffer), "cfg.example");
}

// Sizes straddling the usable size, with bytes of no text type, so that the
// registry converts nothing and reports the stored size exactly.
TEST_F(SettingsStoreTest, ReadStringRefusesDataLargerThanTheUsableSizeAndAddsNoNul) {
    for (DWORD size : {511u, 512u, 513u}) {
        SCOPED_TRACE(size);
        SetRaw("Data", REG_BINARY, Bytes(size, 'x'));
        BYTE buffer[600];
        memset(buffer, 0xCC, sizeof buffer);
        DWORD read = ReadInto("Data", buffer, 512);
        if (size <= 512) {
            EXPECT_EQ(read, size);
            EXPECT_EQ(buffer[size - 1], 'x');
            EXPECT_EQ(buffer[size], 0xCC) << "nothing is written after the data";
        } else {
            EXPECT_EQ(read, 0u);
            EXPECT_EQ(buffer[0], 0xCC) << "nothing is read at all";
        }
    }
}

TEST_F(SettingsStoreTest, ReadStringOfMissingOrEmptyValueReadsNothing) {
    SetRaw("Empty", REG_BINARY, Bytes());
    BYTE buffer[4] = {0xCC, 0xCC, 0xCC, 0xCC};
    EXPECT_EQ(ReadInto("Missing", buffer, sizeof buffer), 0u);
    EXPECT_EQ(ReadInto("Empty", buffer, sizeof buffer), 0u);
    EXPECT_EQ(buffer[0], 0xCC);
}

TEST_F(SettingsStoreTest, EveryPrimitiveCreatesAMissingKey) {
    DWORD value = 0;
    EXPECT_EQ(SettingsStore::ReadDwordValue(m_root, m_subKey.c_str(), "Missing", &value), 0);
    EXPECT_TRUE(KeyExists()) << "even a read that finds nothing leaves the key behind";
    EXPECT_TRUE(ValueNames().empty());
}

TEST_F(SettingsStoreTest, EveryPrimitiveFailsWithoutFullAccess) {
    SetRaw("Number", REG_DWORD, DwordBytes(80));
    SetRaw("Host", REG_SZ, TextWithNul("cfg.example"));
    DenyFullAccess();

    DWORD value = 17777;
    EXPECT_EQ(SettingsStore::ReadDwordValue(m_root, m_subKey.c_str(), "Number", &value), 0);
    EXPECT_EQ(value, 17777u);
    BYTE buffer[32] = {};
    EXPECT_EQ(ReadInto("Host", buffer, sizeof buffer), 0u);
    EXPECT_EQ(buffer[0], 0);
    EXPECT_EQ(SettingsStore::WriteDwordValue(m_root, m_subKey.c_str(), "Number", 1), 0);
    EXPECT_EQ(SettingsStore::WriteStringValue(m_root, m_subKey.c_str(), "Host", "other"), 0);

    EXPECT_EQ(Stored("Number").data, DwordBytes(80));
    EXPECT_EQ(Stored("Host").data, TextWithNul("cfg.example"));
}

} // namespace
