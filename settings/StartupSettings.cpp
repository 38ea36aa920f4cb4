#include "StartupSettings.h"

#include <string.h>

#include "SupportLog.h"

const char* const StartupSettings::kConfigHostPreset = "cfgsvr.quillmarsh-holdings.com";

namespace {
const DWORD kHostBufferSize = 512; // the host value's limit, its NUL included
const DWORD kLoginBufferSize = 512;
} // namespace

void StartupSettings::LoadConfigServer(CString& host, int& port, HKEY root, const char* subKey) {
    if (MarkerPresent(root, subKey)) {
        DWORD storedPort = static_cast<DWORD>(port);
        bool portStored =
            SettingsStore::ReadDwordValue(root, subKey, SettingsStore::kConfigPortValue, &storedPort) != 0;
        port = static_cast<int>(storedPort);
        bool hostStored = ReadConfigHost(host, root, subKey);
        SupportLog::Write("Configuration server host %s (%s), port %d (%s)", host.GetString(),
                          hostStored ? "from the registry" : "the preset: none usable in the registry", port,
                          portStored ? "from the registry" : "the preset: none in the registry");
    } else {
        // Until the marker is put there from outside, the presets are written
        // again at every start; whether the writes succeed does not matter.
        SettingsStore::WriteDwordValue(root, subKey, SettingsStore::kConfigSslValue, 0);
        SettingsStore::WriteStringValue(root, subKey, SettingsStore::kConfigHostValue, kConfigHostPreset);
        SupportLog::Write("Configuration server host %s, port %d: the presets (no marker in the registry; "
                          "the preset host written there again)",
                          host.GetString(), port);
    }
}

bool StartupSettings::ReadLoginName(CString& name, HKEY root, const char* subKey) {
    // One byte more than may be read, so the text always ends in a NUL.
    BYTE buffer[kLoginBufferSize];
    memset(buffer, 0, sizeof buffer);
    if (SettingsStore::ReadStringValue(root, subKey, SettingsStore::kLoginNameValue, buffer, kLoginBufferSize - 1) == 0)
        return false;
    name = reinterpret_cast<const char*>(buffer);
    SupportLog::Write("User ID %s from the registry", name.GetString());
    return true;
}

// Present means exactly one byte of data, whatever its type: a larger value
// does not fit the one-byte buffer and reads as nothing.
bool StartupSettings::MarkerPresent(HKEY root, const char* subKey) {
    BYTE marker = 0;
    return SettingsStore::ReadStringValue(root, subKey, SettingsStore::kMarkerValue, &marker, 1) != 0;
}

// The host value may be stored without its NUL. Up to 511 bytes it is taken
// as if the NUL followed; 512 bytes without one would make a text of 512
// characters, which stored with its NUL would be over the limit, so it is
// refused like any larger value and the preset stays.
bool StartupSettings::ReadConfigHost(CString& host, HKEY root, const char* subKey) {
    BYTE buffer[kHostBufferSize];
    DWORD read = SettingsStore::ReadStringValue(root, subKey, SettingsStore::kConfigHostValue, buffer, sizeof buffer);
    if (read == 0) return false;
    const char* text = reinterpret_cast<const char*>(buffer);
    size_t length = strnlen(text, read);
    if (length == kHostBufferSize) return false;
    host = CString(text, static_cast<int>(length));
    return true;
}
