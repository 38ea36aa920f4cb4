#include "HighContrastStandIn.h"

#include "DisplaySettings.h"

namespace {

DisplaySettingsSeams g_passThrough;

bool TestSaysOn() {
    HANDLE on = OpenEventA(SYNCHRONIZE, FALSE, e2e::kHighContrastOnEvent);
    const bool set = on && WaitForSingleObject(on, 0) == WAIT_OBJECT_0;
    if (on) CloseHandle(on);
    return set;
}

BOOL WINAPI SystemParametersAsTold(UINT action, UINT param, PVOID value, UINT winIni) {
    const BOOL answered = g_passThrough.systemParametersInfo(action, param, value, winIni);
    if (answered && action == SPI_GETHIGHCONTRAST && value) {
        HIGHCONTRASTA* setting = static_cast<HIGHCONTRASTA*>(value);
        if (TestSaysOn())
            setting->dwFlags |= HCF_HIGHCONTRASTON;
        else
            setting->dwFlags &= ~static_cast<DWORD>(HCF_HIGHCONTRASTON);
    }
    return answered;
}

// The theme's colour for `index`; false for one it leaves as it is.
bool ThemeColour(int index, COLORREF& colour) {
    switch (index) {
    case COLOR_BTNFACE:
        colour = e2e::kThemeFace;
        return true;
    case COLOR_BTNTEXT:
        colour = e2e::kThemeFaceText;
        return true;
    case COLOR_WINDOW:
        colour = e2e::kThemeWindow;
        return true;
    case COLOR_WINDOWTEXT:
        colour = e2e::kThemeWindowText;
        return true;
    default:
        return false;
    }
}

DWORD WINAPI ColourAsTold(int index) {
    COLORREF colour;
    return TestSaysOn() && ThemeColour(index, colour) ? colour : g_passThrough.getSysColor(index);
}

// Made once and kept, as the system keeps its own.
HBRUSH WINAPI BrushAsTold(int index) {
    static HBRUSH brushes[COLOR_WINDOWTEXT + 1];
    COLORREF colour;
    if (!TestSaysOn() || !ThemeColour(index, colour)) return g_passThrough.getSysColorBrush(index);
    if (!brushes[index]) brushes[index] = CreateSolidBrush(colour);
    return brushes[index];
}

} // namespace

// Refuses to load into a program without the seam, so that the test knows.
BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    DisplaySettingsSeams* seams =
        reinterpret_cast<DisplaySettingsSeams*>(GetProcAddress(GetModuleHandleA(nullptr), "g_displaySettingsSeams"));
    if (!seams) return FALSE;
    g_passThrough = *seams;
    *seams = DisplaySettingsSeams{SystemParametersAsTold, ColourAsTold, BrushAsTold};
    return TRUE;
}
