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
        : width_(width), height_(height), pixels_(std::move(pixels)) {}

    int width() const { return width_; }
    int height() const { return height_; }
    bool empty() const { return pixels_.empty(); }
    // The colour at (x, y) of the picture; CLR_INVALID outside it.
    COLORREF pixel(int x, int y) const;
    // Writes a 24-bit bottom-up .bmp file (ImageMagick turns it into a .png).
    bool saveBmp(const std::string& path) const;

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<uint32_t> pixels_;  // 0x00RRGGBB, as a 32-bit DIB holds them
};

}  // namespace driver
