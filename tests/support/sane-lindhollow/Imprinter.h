#pragma once

#include "Sheet.h"

#include <cstdint>
#include <string>

// The text the imprinter prints on one sheet: the endorser string with its counter placeholder
// (%ud, or %0Nud for at least N digits with leading zeros) replaced by the counter; letters are
// printed as capitals.
std::string imprintText(const std::string& endorserString, std::uint32_t counter);

// Where and how the imprinter prints, in millimetres from the sheet's top left corner.
struct ImprintPlacement {
    static constexpr double left = 12.0;  // the print head's place across the sheet
    double top = 0;
    double dot = 0.254;        // a dot's size; characters are 6 dots apart and 7 high
    bool bottomToTop = false;  // the text turned half round, read from the sheet's bottom edge
};

// Prints the text in black onto the image, in the 5 x 7 dot font; dots beyond the edges are lost.
void printOnto(GrayImage& image, const std::string& text, const ImprintPlacement& placement);
