// A picture taken from the screen: 32-bit pixels, top row first.
#pragma once
#include <windows.h>
#include <cstdint>
#include <string>
#include <vector>

namespace driver {

class ScreenImage {
public:
    ScreenImage() = default;
    ScreenImage(int width, int height, std::vector<uint32_t> pixels)
        : m_width(width), m_height(height), m_pixels(std::move(pixels)) {}

    int width() const { return m_width; }
    int height() const { return m_height; }
    bool empty() const { return m_pixels.empty(); }
    // The colour at (x, y) of the picture; CLR_INVALID outside it.
    COLORREF pixel(int x, int y) const;
    // Writes a 24-bit bottom-up .bmp file (ImageMagick turns it into a .png).
    bool saveBmp(const std::string& path) const;

private:
    int m_width = 0;
    int m_height = 0;
    std::vector<uint32_t> m_pixels; // 0x00RRGGBB, as a 32-bit DIB holds them
};

} // namespace driver
