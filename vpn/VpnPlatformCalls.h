#pragma once
// The platform calls of the VPN link whose failures the real system cannot be
// made to produce on demand. They point at the real calls; only tests replace
// them.
#include <windows.h>

struct VpnPlatformCalls {
    HMODULE(WINAPI* LoadLibraryA)(LPCSTR fileName);
    FARPROC(WINAPI* GetProcAddress)(HMODULE module, LPCSTR name);
    BOOL(WINAPI* FreeLibrary)(HMODULE module);
    BOOL(WINAPI* CreateProcessA)(LPCSTR applicationName, LPSTR commandLine, LPSECURITY_ATTRIBUTES processAttributes,
                                 LPSECURITY_ATTRIBUTES threadAttributes, BOOL inheritHandles, DWORD creationFlags,
                                 LPVOID environment, LPCSTR currentDirectory, LPSTARTUPINFOA startupInfo,
                                 LPPROCESS_INFORMATION processInformation);
};

extern VpnPlatformCalls vpnPlatform;
// The real calls, for a test to restore or to pass through to.
extern const VpnPlatformCalls vpnPlatformDefaults;
