// Finds and decodes the card code printed in a page's top-left corner.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Bitmap.h"

namespace lhdll {

struct CodeSighting {
    enum class Outcome { kDecoded, kNotFound, kDamaged };
    Outcome outcome = Outcome::kNotFound;
    std::string text;
};

// scratch holds the grey copy of the searched corner; passing the same vector for every read
// keeps it allocated.
CodeSighting FindCardCode(const Bitmap& page, double scale, std::vector<std::uint8_t>& scratch);

}  // namespace lhdll
