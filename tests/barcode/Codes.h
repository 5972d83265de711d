#pragma once

#include <string>
#include <vector>

#include "Windows1252.h"

// Tests state data and results as Windows-1252 character codes.
inline std::u16string Text(const std::vector<int>& codes) {
    return fernlowe::Utf16FromWindows1252(std::string(codes.begin(), codes.end()));
}

inline std::vector<int> Codes(const std::u16string& text) {
    std::vector<int> codes;
    for (char c : fernlowe::Windows1252FromUtf16(text)) {
        codes.push_back(static_cast<unsigned char>(c));
    }
    return codes;
}

inline std::u16string Ascii(const std::string& text) {
    return std::u16string(text.begin(), text.end());
}

inline std::vector<int> AsciiCodes(const std::string& text) {
    return std::vector<int>(text.begin(), text.end());
}
