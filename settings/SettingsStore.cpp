#include "SettingsStore.h"

#include <string.h>

// Creating rather than opening means a fresh profile gets the key on first
// use, and asking for full access means a user who cannot write the key reads
// nothing from it either: every primitive fails alike and the presets apply.
bool SettingsStore::OpenKey(HKEY root, const char* subKey, HKEY* key) {
    DWORD disposition = 0;
    return RegCreateKeyExA(root, subKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key, &disposition) == ERROR_SUCCESS;
}

int SettingsStore::WriteDwordValue(HKEY root, const char* subKey, const char* name, DWORD value) {
    HKEY key;
    if (!OpenKey(root, subKey, &key)) return 0;
    LONG status = RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    RegCloseKey(key);
    return status == ERROR_SUCCESS ? 1 : 0;
}

int SettingsStore::ReadDwordValue(HKEY root, const char* subKey, const char* name, DWORD* destination) {
    HKEY key;
    if (!OpenKey(root, subKey, &key)) return 0;
    // The registry leaves the buffer's content undefined when the data does not
    // fit, so read into a copy and hand it over only on success; starting from
    // the caller's value keeps the bytes that a shorter value does not cover.
    DWORD value = *destination;
    DWORD size = sizeof value;
    LONG status = RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS) return 0;
    *destination = value;
    return 1;
}

DWORD SettingsStore::ReadStringValue(HKEY root, const char* subKey, const char* name, BYTE* buffer, DWORD bufferSize) {
    HKEY key;
    if (!OpenKey(root, subKey, &key)) return 0;
    // A missing value leaves the size at 0 and fails the read below.
    DWORD size = 0;
    RegQueryValueExA(key, name, nullptr, nullptr, nullptr, &size);
    if (bufferSize < size) {
        RegCloseKey(key);
        return 0;
    }
    // Reading with the reported size rather than bufferSize: a value that grew
    // in the meantime fails instead of filling the caller's spare bytes.
    LONG status = RegQueryValueExA(key, name, nullptr, nullptr, buffer, &size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS ? size : 0;
}

int SettingsStore::WriteStringValue(HKEY root, const char* subKey, const char* name, const char* text) {
    HKEY key;
    if (!OpenKey(root, subKey, &key)) return 0;
    DWORD length = static_cast<DWORD>(strlen(text));
    LONG status = RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), length + 1);
    RegCloseKey(key);
    return status == ERROR_SUCCESS ? static_cast<int>(length) : 0;
}
