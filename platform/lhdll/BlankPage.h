// Tells a blank page from a printed one, unfooled by scanner speckle.
#pragma once

#include "Bitmap.h"

namespace lhdll {

bool IsBlank(const Bitmap& page);

}  // namespace lhdll
