#include "DisplaySettings.h"

namespace {
// Not in the headers of the oldest systems this program supports.
const UINT kGetClientAreaAnimation = 0x1042; // SPI_GETCLIENTAREAANIMATION
} // namespace

const DisplaySettingsSeams kRealDisplaySettingsSeams = {SystemParametersInfoA, GetSysColor, GetSysColorBrush};
DisplaySettingsSeams g_displaySettingsSeams = kRealDisplaySettingsSeams;

bool HighContrastOn() {
    HIGHCONTRASTA setting = {};
    setting.cbSize = sizeof setting;
    return g_displaySettingsSeams.systemParametersInfo(SPI_GETHIGHCONTRAST, sizeof setting, &setting, 0) &&
           (setting.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

bool ClientAreaAnimationOn() {
    BOOL animate = TRUE;
    // Systems before Vista do not know the setting and animate as always.
    if (!g_displaySettingsSeams.systemParametersInfo(kGetClientAreaAnimation, 0, &animate, 0)) return true;
    return animate != FALSE;
}

COLORREF SystemColour(int index) { return g_displaySettingsSeams.getSysColor(index); }

HBRUSH SystemBrush(int index) { return g_displaySettingsSeams.getSysColorBrush(index); }
