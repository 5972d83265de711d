// The command line of lhdll-make-sheet, turned into the sheet it asks for.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "Bitmap.h"
#include "SheetMaker.h"

namespace lhdll {

struct SheetRequest {
    SheetDrawing drawing;
    double skewDegrees = 0;
    std::optional<std::uint32_t> noiseSeed;
    std::string output;
};

extern const char* const kMakeSheetUsage;

// The request, or the reason the arguments (program name excluded) ask for no sheet.
std::variant<SheetRequest, std::string> ParseSheetRequest(const std::vector<std::string>& args);

Bitmap MakeSheet(const SheetRequest& request);

}  // namespace lhdll
