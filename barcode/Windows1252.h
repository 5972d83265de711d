#pragma once

#include <string>
#include <string_view>

namespace fernlowe {

// The encoders work on single-byte Windows-1252 codes; the callers hand over UTF-16.

// Each UTF-16 code unit becomes one code; a unit Windows-1252 cannot hold becomes '?',
// as the Windows conversion does, so the length in characters never changes.
std::string Windows1252FromUtf16(std::u16string_view text);

// Exact for all 256 codes; the five codes Windows-1252 leaves unassigned map to the
// C1 control characters with the same number, as Windows does.
std::u16string Utf16FromWindows1252(std::string_view codes);

// Upper case as the Western European Windows locale maps Windows-1252 letters.
// A fixed table rather than the C library's locale keeps results the same on every
// machine and thread.
std::string UpperCase(std::string_view codes);

}  // namespace fernlowe
