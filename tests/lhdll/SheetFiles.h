#pragma once

#include <string>
#include <vector>

#include "Bitmap.h"

// Sheets made as lhdll-make-sheet makes them, and written in the forms scanners write.
namespace sheet_files {

// The sheet the tool's arguments ask for (output file excluded), written as Group 4 to path.
void Make(const std::vector<std::string>& args, const std::string& path);

lhdll::Bitmap Draw(const std::vector<std::string>& args);

// 8-bit grey, LZW, 200 dpi: what a grey scan looks like.
void WriteGrey(const lhdll::Bitmap& page, const std::string& path);

// 1-bit, 0 black, PackBits, 200 dpi, with 0 in the bits past the right edge.
void WriteBlackIsZero(const lhdll::Bitmap& page, const std::string& path);

// The page enlarged to 300 dpi, 1-bit.
void Write300Dpi(const lhdll::Bitmap& page, const std::string& path);

}  // namespace sheet_files
