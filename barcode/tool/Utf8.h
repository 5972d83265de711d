#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace fernlowe::tool {

// Nothing when the bytes are not well-formed UTF-8.
std::optional<std::u16string> Utf16FromUtf8(std::string_view bytes);

std::string Utf8FromUtf16(std::u16string_view text);

}  // namespace fernlowe::tool
