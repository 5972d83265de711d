#include "scanner/Imprint.h"

#include <algorithm>
#include <cmath>
#include <string_view>

#include "font/DotFont.h"

namespace {

// Fills the page's pixels that cover the rectangle given in 1/200 inch.
void fill(Page& page, double left, double top, double size) {
    const double sx = page.xDpi / 200, sy = page.yDpi / 200;
    const int x0 = std::max(0, int(std::lround(left * sx)));
    const int y0 = std::max(0, int(std::lround(top * sy)));
    // At low resolutions a dot still covers at least one pixel.
    const int x1 = std::min(page.width, std::max(x0 + 1, int(std::lround((left + size) * sx))));
    const int y1 = std::min(page.height, std::max(y0 + 1, int(std::lround((top + size) * sy))));
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            page.setBlack(x, y);
}

}  // namespace

const Glyph* endorserGlyph(char c) {
    constexpr std::string_view endorsed = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ -./:#";
    return c != '\0' && endorsed.find(c) != std::string_view::npos ? FindDotGlyph(c) : nullptr;
}

void imprint(Page& page, std::string_view text, const ImprintLayout& layout) {
    const int scale = std::max(1, layout.scale);
    for (size_t i = 0; i < text.size(); ++i) {
        const Glyph* glyph = endorserGlyph(text[i]);
        if (!glyph)
            continue;
        const double cellLeft = ImprintLayout::left + double(i) * 6 * scale;
        for (int row = 0; row < 7; ++row)
            for (int column = 0; column < 5; ++column)
                if ((*glyph)[row] & (0x10 >> column))
                    fill(page, cellLeft + column * scale, layout.top + row * scale, scale);
    }
}
