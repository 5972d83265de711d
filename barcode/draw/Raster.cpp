#include <array>

#include "Layout.h"
#include "Picture.h"

namespace fernlowe::draw {

namespace {

// Figures 0 to 9 in five columns by seven rows; bit 4 is the leftmost column.
constexpr std::array<std::array<std::uint8_t, 7>, 10> kFigures = {{
    {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E},  // 0
    {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E},  // 1
    {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F},  // 2
    {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E},  // 3
    {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02},  // 4
    {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E},  // 5
    {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E},  // 6
    {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08},  // 7
    {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E},  // 8
    {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C},  // 9
}};
constexpr int kGlyphWidth = 5;

void Fill(Bitmap& bitmap, int x0, int y0, int width, int height) {
    for (int y = y0; y < y0 + height; ++y) {
        for (int x = x0; x < x0 + width; ++x) {
            bitmap.pixels[static_cast<std::size_t>(y) * bitmap.width + x] = 0;
        }
    }
}

}  // namespace

Bitmap Rasterize(const Symbol& symbol, int scale) {
    const bool with_figures = !symbol.figures.empty();
    const int normal = kBarHeight;
    const int longer = with_figures ? kBarHeight + kLongBarExtra : kBarHeight;
    const int content = with_figures ? kBarHeight + kFigureGap + kFigureHeight : kBarHeight;

    Bitmap bitmap;
    bitmap.width = static_cast<int>(symbol.modules.size()) * scale;
    bitmap.height = (2 * kMargin + content) * scale;
    bitmap.pixels.assign(static_cast<std::size_t>(bitmap.width) * bitmap.height, 255);

    for (std::size_t m = 0; m < symbol.modules.size(); ++m) {
        if (symbol.modules[m] == '1') {
            const int height = symbol.long_bars[m] == '1' ? longer : normal;
            Fill(bitmap, static_cast<int>(m) * scale, kMargin * scale, scale, height * scale);
        }
    }
    const int figure_top = kMargin + kBarHeight + kFigureGap;
    for (const Symbol::Figure& figure : symbol.figures) {
        const auto& rows = kFigures[figure.digit - '0'];
        const int left =
            static_cast<int>(figure.start * 2 + figure.width - kGlyphWidth) * scale / 2;
        for (int row = 0; row < kFigureHeight; ++row) {
            for (int column = 0; column < kGlyphWidth; ++column) {
                if (rows[row] & (0x10 >> column)) {
                    Fill(bitmap, left + column * scale, (figure_top + row) * scale, scale, scale);
                }
            }
        }
    }
    return bitmap;
}

}  // namespace fernlowe::draw
