// Writes pages as a scanner's 1-bit TIFF: CCITT Group 4, 200 dpi, one page per directory.
#pragma once

#include <string>
#include <vector>

#include "Bitmap.h"

namespace lhdll {

// False when the file cannot be written.
bool WriteTiff(const std::string& path, const std::vector<Bitmap>& pages);

}  // namespace lhdll
