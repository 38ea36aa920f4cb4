// The running program told that high contrast is on or off, which Wine's own
// answer never is: the stand-in library, loaded into the program by the test,
// puts its answers into the program's display-settings seam. While the test's
// event of this name is set, high contrast is on with a dark theme's colours
// (Wine's other processes never see colours set with SetSysColors).
#pragma once
#include <windows.h>

namespace e2e {
constexpr const char* kHighContrastStandIn = "qm_high_contrast.dll";
constexpr const char* kHighContrastOnEvent = "QuillmarshVPN.Test.HighContrastOn";

constexpr COLORREF kThemeFace = RGB(0, 0, 0);         // COLOR_BTNFACE
constexpr COLORREF kThemeFaceText = RGB(255, 255, 0); // COLOR_BTNTEXT
constexpr COLORREF kThemeWindow = RGB(0, 0, 96);      // COLOR_WINDOW
constexpr COLORREF kThemeWindowText = RGB(0, 255, 0); // COLOR_WINDOWTEXT
} // namespace e2e
