#pragma once

#include <cstdint>
#include <vector>

// One scanned page held in memory, top row first.
struct Page {
    enum class Format {
        Bilevel,  // 1 bit per pixel, most significant bit first, 1 = black
        Gray,     // 8 bits per pixel, 0 = black
        Rgb,      // 3 × 8 bits per pixel
    };

    Format format = Format::Gray;
    int width = 0;
    int height = 0;
    double xDpi = 200;
    double yDpi = 200;
    std::vector<std::uint8_t> pixels;  // height × bytesPerLine()

    int bytesPerLine() const;
    bool isBlack(int x, int y) const;
    void setBlack(int x, int y);
};
