#pragma once
// What the login dialog takes from the registry while it starts: the
// configuration server's host and port, and the stored login name. Kept apart
// from the dialog so that each step can be run against a key of its own.
#include <windows.h>

#include "CString.h"
#include "SettingsStore.h"

class StartupSettings {
public:
    static const char* const kConfigHostPreset;
    static const int kConfigPortPreset = 17777;

    // host and port hold the presets on entry. With the marker present they are
    // replaced by what can be read (a port keeps all 32 bits of the stored
    // number; the probe uses the low 16). Without it the SSL flag and the
    // preset host are written and host and port are left alone.
    static void LoadConfigServer(CString& host, int& port, HKEY root = HKEY_CURRENT_USER,
                                 const char* subKey = SettingsStore::kProductKey);

    // true, with name set, when a stored login name of at most 511 bytes was
    // read; otherwise false and name is left alone.
    static bool ReadLoginName(CString& name, HKEY root = HKEY_CURRENT_USER,
                              const char* subKey = SettingsStore::kProductKey);

private:
    static bool MarkerPresent(HKEY root, const char* subKey);
    // True when the host was taken from the registry.
    static bool ReadConfigHost(CString& host, HKEY root, const char* subKey);
};
