#pragma once

#include <windows.h>

#include <string>

namespace fernlowe::com {

// BSTRs and the encoders' UTF-16 strings hold the same code units; a null BSTR is the
// empty string.
std::u16string FromBstr(BSTR text);

// A new BSTR that the receiver owns, or null when memory runs out.
BSTR NewBstr(const std::u16string& text);

// Frees *target and puts a copy of text in its place, unless it already holds that text, so
// that a caller's string is replaced only when a report function has changed it.
// False when memory runs out; *target is then unchanged.
bool ReplaceIfChanged(BSTR* target, const std::u16string& text);

}  // namespace fernlowe::com
