#include "SheetFont.h"

#include "font/DotFont.h"

namespace lhdll {
namespace {

constexpr int kGlyphWidth = 5;
constexpr int kAdvance = kGlyphWidth + 1;

void Stroke(Bitmap& page, int x, int y, const TextStyle& style) {
    const int side = style.scale + (style.bold ? 1 : 0);
    for (int py = y; py < y + style.scale; ++py) {
        for (int px = x; px < x + side; ++px) {
            if (px >= 0 && px < page.width && py >= 0 && py < page.height) {
                page.Set(px, py, !style.white);
            }
        }
    }
}

}  // namespace

int TextWidth(std::string_view text, const TextStyle& style) {
    return static_cast<int>(text.size()) * kAdvance * style.scale;
}

void DrawText(Bitmap& page, int x, int y, std::string_view text, const TextStyle& style) {
    for (const char c : text) {
        if (const DotGlyph* glyph = FindDotGlyph(c)) {
            for (int row = 0; row < static_cast<int>(glyph->size()); ++row) {
                for (int column = 0; column < kGlyphWidth; ++column) {
                    if (((*glyph)[row] >> (kGlyphWidth - 1 - column)) & 1) {
                        Stroke(page, x + column * style.scale, y + row * style.scale, style);
                    }
                }
            }
        }
        x += kAdvance * style.scale;
    }
}

}  // namespace lhdll
