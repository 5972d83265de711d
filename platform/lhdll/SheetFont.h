// Capital letters, digits and the punctuation of ballot text, drawn from the 5 x 7 dot font
// enlarged to the size of print on a 200 dpi page.
#pragma once

#include <string_view>

#include "Bitmap.h"

namespace lhdll {

struct TextStyle {
    int scale = 2;       // font pixels per page pixel side: 2 prints 14-pixel capitals (7 pt)
    bool bold = false;   // strokes one page pixel wider
    bool white = false;  // clears the strokes, for text on a black bar
};

// Width in page pixels of text printed in the style; characters the font lacks print blank.
int TextWidth(std::string_view text, const TextStyle& style);

// Prints text with its top-left corner at (x, y).
void DrawText(Bitmap& page, int x, int y, std::string_view text, const TextStyle& style);

}  // namespace lhdll
