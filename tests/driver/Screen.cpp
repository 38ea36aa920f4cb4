#include "Screen.h"

#include <cstring>

namespace driver {

COLORREF Screen::pixel(int x, int y) {
    HDC screen = GetDC(nullptr);
    if (screen == nullptr) return CLR_INVALID;
    COLORREF colour = GetPixel(screen, x, y);
    ReleaseDC(nullptr, screen);
    return colour;
}

ScreenImage Screen::capture(const RECT& area) {
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    if (width <= 0 || height <= 0) return {};

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;

    ScreenImage image;
    HDC screen = GetDC(nullptr);
    if (screen == nullptr) return image;
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (memory != nullptr && dib != nullptr) {
        HGDIOBJ previous = SelectObject(memory, dib);
        if (BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY)) {
            GdiFlush();
            std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
            std::memcpy(pixels.data(), bits, pixels.size() * sizeof(uint32_t));
            image = ScreenImage(width, height, std::move(pixels));
        }
        SelectObject(memory, previous);
    }
    if (dib != nullptr) DeleteObject(dib);
    if (memory != nullptr) DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return image;
}

bool Screen::saveWindow(const Window& window, const std::string& path) {
    return capture(window.windowRect()).saveBmp(path);
}

} // namespace driver
