#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Symbol.h"

namespace fernlowe::draw {

// Greyscale pixels, row by row: 0 black, 255 white.
struct Bitmap {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;
};

// `scale` pixels per module, bars 50 modules high, with a white margin all round.
Bitmap Rasterize(const Symbol& symbol, int scale);

// The same picture as an SVG document, one user unit per module.
std::string Svg(const Symbol& symbol);

}  // namespace fernlowe::draw
