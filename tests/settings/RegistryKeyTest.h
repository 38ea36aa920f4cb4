#pragma once
// A key of the test's own under the current user, removed before and after
// each test, with helpers that write and read raw values behind the back of
// the code under test.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

typedef std::vector<BYTE> Bytes;

Bytes BytesOf(const std::string& text);     // the characters, no NUL
Bytes TextWithNul(const std::string& text); // the characters and a NUL
Bytes DwordBytes(DWORD value);

struct StoredValue {
    bool exists = false;
    DWORD type = 0;
    Bytes data;
};

class RegistryKeyTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes exactly these bytes with this type. A REG_SZ is passed with a
    // non-NUL byte after its data: the registry counts a NUL that follows the
    // data as part of it.
    void SetRaw(const char* name, DWORD type, const Bytes& data);
    void DeleteValue(const char* name);
    StoredValue Stored(const char* name) const;
    std::vector<std::string> ValueNames() const;
    bool KeyExists() const;
    // Leaves the key readable by everyone and nothing more.
    void DenyFullAccess();

    static void RemoveKey(HKEY root, const std::string& path);

    HKEY m_root = HKEY_CURRENT_USER;
    std::string m_subKey;
};
