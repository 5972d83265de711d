// The print of a real ballot around the bubble grid: title, instructions, contest headings,
// candidate names and parties, write-in lines, rules and boxes.
#pragma once

#include <cstdint>

#include "Bitmap.h"

namespace lhdll {

// Contests and names are drawn from the seed; the same seed prints the same ballot. Nothing
// is printed over the card code, the fiducials, the bubbles or the reader's margins around
// the fiducials.
void DrawBallotPrint(Bitmap& page, std::uint32_t seed);

}  // namespace lhdll
