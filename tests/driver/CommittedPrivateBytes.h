// The committed private pages of another process, counted region by region:
// Wine answers GetProcessMemoryInfo for another process with a PrivateUsage of
// 0, so this is the memory figure that compares under Wine and Windows alike.
#pragma once
#include <windows.h>

namespace driver {

SIZE_T CommittedPrivateBytes(HANDLE process);

} // namespace driver
