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

const struct {
    int index;
    COLORREF colour;
} kTheme[] = {{COLOR_BTNFACE, e2e::kThemeFace},
              {COLOR_BTNTEXT, e2e::kThemeFaceText},
              {COLOR_WINDOW, e2e::kThemeWindow},
              {COLOR_WINDOWTEXT, e2e::kThemeWindowText}};

// The theme's entry for a colour while the test says "on"; -1 for the system's.
int ThemeEntry(int index) {
    for (int i = 0; i < 4; ++i)
        if (kTheme[i].index == index) return TestSaysOn() ? i : -1;
    return -1;
}

DWORD WINAPI ColourAsTold(int index) {
    const int entry = ThemeEntry(index);
    return entry < 0 ? g_passThrough.getSysColor(index) : kTheme[entry].colour;
}

// Made once and kept, as the system keeps its own.
HBRUSH WINAPI BrushAsTold(int index) {
    static HBRUSH brushes[4];
    const int entry = ThemeEntry(index);
    if (entry < 0) return g_passThrough.getSysColorBrush(index);
    if (!brushes[entry]) brushes[entry] = CreateSolidBrush(kTheme[entry].colour);
    return brushes[entry];
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
