// Reading what the display shows, through the screen's device context.
#pragma once
#include "ScreenImage.h"
#include "Window.h"

#include <string>

namespace driver {

class Screen {
public:
    // GetPixel on the screen's device context; CLR_INVALID when it cannot be read.
    static COLORREF pixel(int x, int y);
    // The screen's pixels inside `area` (screen coordinates), copied with BitBlt
    // into a DIB section; empty when the copy fails.
    static ScreenImage capture(const RECT& area);
    // The whole window as the screen shows it, frame included, saved as .bmp.
    static bool saveWindow(const Window& window, const std::string& path);
};

} // namespace driver
