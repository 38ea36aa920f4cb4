#pragma once
// The four registry primitives through which every settings value is read or
// written. Each call opens the key afresh with full access and closes it
// again; nothing is kept between calls, because other software shares the key.
#include <windows.h>

class SettingsStore {
public:
    // The firm's trading product key under the current user; the only key the
    // program keeps its settings in.
    static constexpr const char* kProductKey = "Software\\Quillmarsh Holdings\\QuillMarsh Professional";

    // Value names. The marker and the login name are created by other software.
    static constexpr const char* kMarkerValue = "Is it safe?";
    static constexpr const char* kConfigPortValue = "ConfigSvr Port";
    static constexpr const char* kConfigHostValue = "ConfigSvr IP";
    static constexpr const char* kConfigSslValue = "ConfigSvr SSL Enabled";
    static constexpr const char* kLoginNameValue = "Login Username";

    // 1 when written, 0 on any failure.
    static int WriteDwordValue(HKEY root, const char* subKey, const char* name, DWORD value);
    // 1 when read, 0 on any failure. Data of up to 4 bytes of any type is copied
    // as raw bytes over the start of *destination; on failure *destination is
    // left exactly as it was.
    static int ReadDwordValue(HKEY root, const char* subKey, const char* name, DWORD* destination);
    // The number of bytes read, 0 on any failure or when the data is larger
    // than bufferSize. No NUL is added: callers that want text pass a zeroed
    // buffer at least one byte larger than bufferSize.
    static DWORD ReadStringValue(HKEY root, const char* subKey, const char* name, BYTE* buffer, DWORD bufferSize);
    // Stores the text as REG_SZ with its NUL; the text's length when written,
    // 0 on any failure.
    static int WriteStringValue(HKEY root, const char* subKey, const char* name, const char* text);

private:
    static bool OpenKey(HKEY root, const char* subKey, HKEY* key);
};
