#pragma once

#include <string>

#include "Picture.h"

namespace fernlowe::tool {

// False when the file cannot be written.
bool WritePng(const draw::Bitmap& bitmap, const std::string& path);

}  // namespace fernlowe::tool
