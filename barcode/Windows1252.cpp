#include "Windows1252.h"

#include <array>

namespace fernlowe {

namespace {

// Code points of codes 0x80 to 0x9F; the rest of the code page equals Latin-1.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 0x80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 0x88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 0x90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 0x98
};

char16_t UnitOf(unsigned char code) {
    if (code >= 0x80 && code <= 0x9F) {
        return kHighControls[code - 0x80];
    }
    return code;
}

char CodeOf(char16_t unit) {
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) {
        return static_cast<char>(unit);
    }
    for (std::size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] == unit) {
            return static_cast<char>(0x80 + i);
        }
    }
    return '?';
}

}  // namespace

std::string Windows1252FromUtf16(std::u16string_view text) {
    std::string codes;
    codes.reserve(text.size());
    for (char16_t unit : text) {
        codes.push_back(CodeOf(unit));
    }
    return codes;
}

std::u16string Utf16FromWindows1252(std::string_view codes) {
    std::u16string text;
    text.reserve(codes.size());
    for (char code : codes) {
        text.push_back(UnitOf(static_cast<unsigned char>(code)));
    }
    return text;
}

std::string UpperCase(std::string_view codes) {
    std::string upper(codes);
    for (char& c : upper) {
        const auto code = static_cast<unsigned char>(c);
        unsigned char mapped = code;
        if ((code >= 'a' && code <= 'z') || (code >= 0xE0 && code <= 0xFE && code != 0xF7)) {
            mapped = code - 0x20;
        } else if (code == 0x9A || code == 0x9C || code == 0x9E) {  // s, oe, z with caron/ligature
            mapped = code - 0x10;
        } else if (code == 0xFF) {  // y with diaeresis
            mapped = 0x9F;
        }
        c = static_cast<char>(mapped);
    }
    return upper;
}

}  // namespace fernlowe
