#include "VpnPlatformCalls.h"

const VpnPlatformCalls vpnPlatformDefaults = {
    ::LoadLibraryA,
    ::GetProcAddress,
    ::FreeLibrary,
    ::CreateProcessA,
};

VpnPlatformCalls vpnPlatform = vpnPlatformDefaults;
