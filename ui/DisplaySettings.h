#pragma once
// The user's display settings that change how the dialog looks: high contrast
// with the system's colours, and whether the client area may animate. Read
// through a table of calls that tests replace, since no system call turns high
// contrast on for a test.
#include <windows.h>

struct DisplaySettingsSeams {
    BOOL(WINAPI* systemParametersInfo)(UINT action, UINT param, PVOID value, UINT winIni);
    DWORD(WINAPI* getSysColor)(int index);
    HBRUSH(WINAPI* getSysColorBrush)(int index);
};

// Exported by the program, so that a test of the running exe can put a stand-in
// for the system's answer in place.
extern __declspec(dllexport) DisplaySettingsSeams g_displaySettingsSeams;
// The real calls, for a test to restore or to pass through to.
extern const DisplaySettingsSeams kRealDisplaySettingsSeams;

// Whether the user has chosen a high-contrast theme.
bool HighContrastOn();

// Whether the client area may animate; true where the system cannot tell.
bool ClientAreaAnimationOn();

// A colour of the system's (COLOR_WINDOW and its kin), and the system's own
// brush of it, which nobody deletes.
COLORREF SystemColour(int index);
HBRUSH SystemBrush(int index);
