#pragma once

#include "scanner/Page.h"

#include <array>
#include <cstdint>
#include <string_view>

// The endorser's characters: 5 dots wide and 7 high, one row per entry, the top row first,
// bit 4 the leftmost dot. Digits, capital letters, blank and - . / : #; nullptr for the rest.
using Glyph = std::array<std::uint8_t, 7>;
const Glyph* endorserGlyph(char c);

// Where and how large the endorser prints, in 1/200 inch: characters are 6 dots apart (one dot
// of spacing), each dot scale × scale units.
struct ImprintLayout {
    static constexpr int left = 50;  // a quarter inch from the left edge
    int top = 0;                     // from the top edge
    int scale = 1;
};

// Draws the text in black into the page; dots that fall outside the page are dropped, and
// characters without a glyph print as blanks.
void imprint(Page& page, std::string_view text, const ImprintLayout& layout);
