#include "RegistryKeyTest.h"

#include <aclapi.h>

Bytes BytesOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

Bytes TextWithNul(const std::string& text) {
    Bytes bytes = BytesOf(text);
    bytes.push_back(0);
    return bytes;
}

Bytes DwordBytes(DWORD value) {
    const BYTE* p = reinterpret_cast<const BYTE*>(&value);
    return Bytes(p, p + sizeof value);
}

void RegistryKeyTest::SetUp() {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    m_subKey = std::string("Software\\Quillmarsh Tests\\") + info->test_suite_name() + "." + info->name();
    for (char& c : m_subKey)
        if (c == '/') c = '_';
    RemoveKey(m_root, m_subKey);
    ASSERT_FALSE(KeyExists());
}

void RegistryKeyTest::TearDown() { RemoveKey(m_root, m_subKey); }

void RegistryKeyTest::RemoveKey(HKEY root, const std::string& path) {
    // Give full access back first: a denied key cannot be deleted.
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, WRITE_DAC, &key) == ERROR_SUCCESS) {
        SECURITY_DESCRIPTOR sd;
        InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
        SetSecurityDescriptorDacl(&sd, TRUE, nullptr, FALSE);
        RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &sd);
        RegCloseKey(key);
    }
    LONG status = RegDeleteKeyA(root, path.c_str());
    ASSERT_TRUE(status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND) << status;
}

void RegistryKeyTest::SetRaw(const char* name, DWORD type, const Bytes& data) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(m_root, m_subKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    Bytes padded = data;
    padded.push_back('#');
    LONG status = RegSetValueExA(key, name, 0, type, padded.data(), static_cast<DWORD>(data.size()));
    RegCloseKey(key);
    ASSERT_EQ(status, ERROR_SUCCESS);
    StoredValue check = Stored(name);
    ASSERT_EQ(check.data, data) << "the registry did not keep the bytes as given";
}

void RegistryKeyTest::DeleteValue(const char* name) {
    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(m_root, m_subKey.c_str(), 0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
    LONG status = RegDeleteValueA(key, name);
    RegCloseKey(key);
    ASSERT_EQ(status, ERROR_SUCCESS);
}

StoredValue RegistryKeyTest::Stored(const char* name) const {
    StoredValue value;
    HKEY key;
    if (RegOpenKeyExA(m_root, m_subKey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return value;
    DWORD size = 0;
    if (RegQueryValueExA(key, name, nullptr, &value.type, nullptr, &size) == ERROR_SUCCESS) {
        value.data.resize(size + 1);
        if (RegQueryValueExA(key, name, nullptr, &value.type, value.data.data(), &size) == ERROR_SUCCESS) {
            value.exists = true;
            value.data.resize(size);
        }
    }
    RegCloseKey(key);
    return value;
}

std::vector<std::string> RegistryKeyTest::ValueNames() const {
    std::vector<std::string> names;
    HKEY key;
    if (RegOpenKeyExA(m_root, m_subKey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return names;
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD length = sizeof name;
        if (RegEnumValueA(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.push_back(name);
    }
    RegCloseKey(key);
    return names;
}

bool RegistryKeyTest::KeyExists() const {
    HKEY key;
    if (RegOpenKeyExA(m_root, m_subKey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

void RegistryKeyTest::DenyFullAccess() {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(m_root, m_subKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    EXPLICIT_ACCESSA entry = {};
    entry.grfAccessPermissions = KEY_READ;
    entry.grfAccessMode = SET_ACCESS;
    entry.grfInheritance = NO_INHERITANCE;
    BuildTrusteeWithNameA(&entry.Trustee, const_cast<char*>("EVERYONE"));
    PACL acl = nullptr;
    ASSERT_EQ(SetEntriesInAclA(1, &entry, nullptr, &acl), static_cast<DWORD>(ERROR_SUCCESS));
    SECURITY_DESCRIPTOR sd;
    InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorDacl(&sd, TRUE, acl, FALSE);
    LONG status = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &sd);
    RegCloseKey(key);
    LocalFree(acl);
    ASSERT_EQ(status, ERROR_SUCCESS);

    // The premise of the tests that use this: full access is refused for real.
    HKEY probe;
    LONG full = RegOpenKeyExA(m_root, m_subKey.c_str(), 0, KEY_ALL_ACCESS, &probe);
    if (full == ERROR_SUCCESS) RegCloseKey(probe);
    ASSERT_EQ(full, ERROR_ACCESS_DENIED);
}
