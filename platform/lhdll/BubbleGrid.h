// Registers a ballot page by its four fiducials and reads the marks of its bubble grid.
#pragma once

#include <array>
#include <optional>

#include "Bitmap.h"
#include "SheetLayout.h"

namespace lhdll {

struct GridReading {
    std::array<bool, layout::kBubbleCount> marked{};  // index = bubble number - 1
    double skewDegrees = 0;
};

// Empty when the fiducials cannot be found or do not agree with one another.
std::optional<GridReading> ReadBubbleGrid(const Bitmap& page, double scale);

}  // namespace lhdll
