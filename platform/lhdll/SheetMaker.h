// Draws our cards and ballots as a scanner at 200 dpi would see them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "Bitmap.h"
#include "SheetLayout.h"

namespace lhdll {

struct SheetDrawing {
    std::optional<std::string> cardCode;  // the QR code's text; none on a blank sheet
    bool bubbleGrid = false;              // fiducials and bubbles of a ballot
    std::vector<int> marks;               // bubble numbers filled in, 1 to kBubbleCount
    std::vector<layout::Rect> blots;      // ink spilt over the sheet, in page pixels
    // A ballot's contests and candidates printed around its grid, drawn from this seed.
    std::optional<std::uint32_t> printSeed;
};

// Inks the rectangle, clipped to the page.
void FillRect(Bitmap& page, layout::Rect r);

// A letter page, 1700 x 2200, drawn upright.
Bitmap DrawSheet(const SheetDrawing& drawing);

// Turns the page by degrees (positive = clockwise) about its centre, as a crooked feed does.
Bitmap Skew(const Bitmap& page, double degrees);

// Scanner speckle from the seed: half a percent of the pixels flipped, plus small dark specks.
void AddSpeckle(Bitmap& page, std::uint32_t seed);

}  // namespace lhdll
