#pragma once

#include <array>
#include <string>
#include <string_view>

namespace fernlowe {

// The encoders work on single-byte Windows-1252 codes; the callers hand over UTF-16.

namespace windows1252_tables {

// Code points of codes 0x80 to 0x9F; the rest of the code page equals Latin-1.
inline constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 0x80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 0x88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 0x90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 0x98
};

// The code unit of every code.
inline constexpr auto kUnits = [] {
    std::array<char16_t, 256> units{};
    for (int code = 0; code < 256; ++code) {
        units[code] =
            code >= 0x80 && code <= 0x9F ? kHighControls[code - 0x80] : static_cast<char16_t>(code);
    }
    return units;
}();

}  // namespace windows1252_tables

// One UTF-16 code unit as its code; a unit Windows-1252 cannot hold becomes '?', as the
// Windows conversion does.
inline char Windows1252Code(char16_t unit) {
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) {
        return static_cast<char>(unit);
    }
    const auto& high = windows1252_tables::kHighControls;
    for (std::size_t i = 0; i < high.size(); ++i) {
        if (high[i] == unit) {
            return static_cast<char>(0x80 + i);
        }
    }
    return '?';
}

// One code as its UTF-16 code unit: exact for all 256 codes; the five codes Windows-1252
// leaves unassigned map to the C1 control characters with the same number, as Windows does.
inline char16_t Utf16Unit(char code) {
    return windows1252_tables::kUnits[static_cast<unsigned char>(code)];
}

// The code in upper case, as the Western European Windows locale maps Windows-1252 letters.
// A fixed rule rather than the C library's locale keeps results the same on every machine
// and thread.
inline char UpperCaseCode(char c) {
    const auto code = static_cast<unsigned char>(c);
    if ((code >= 'a' && code <= 'z') || (code >= 0xE0 && code <= 0xFE && code != 0xF7)) {
        return static_cast<char>(code - 0x20);
    }
    if (code == 0x9A || code == 0x9C || code == 0x9E) {  // s, oe, z with caron/ligature
        return static_cast<char>(code - 0x10);
    }
    if (code == 0xFF) {  // y with diaeresis
        return static_cast<char>(0x9F);
    }
    return c;
}

// Writes the codes of text from out on; returns the end of what it wrote.
inline char* WriteWindows1252(std::u16string_view text, char* out) {
    // Field data is mostly ASCII, whose units are their codes: two plain passes, which the
    // compiler turns into vector code, do for it.
    char16_t bits = 0;
    for (const char16_t unit : text) {
        bits |= unit;
    }
    if (bits < 0x80) {
        for (const char16_t unit : text) {
            *out++ = static_cast<char>(unit);
        }
        return out;
    }
    for (const char16_t unit : text) {
        *out++ = Windows1252Code(unit);
    }
    return out;
}

// Writes the code units of codes from out on; returns the end of what it wrote.
inline char16_t* WriteUtf16(std::string_view codes, char16_t* out) {
    for (const char code : codes) {
        *out++ = Utf16Unit(code);
    }
    return out;
}

// Each UTF-16 code unit becomes one code, so the length in characters never changes.
std::string Windows1252FromUtf16(std::u16string_view text);

std::u16string Utf16FromWindows1252(std::string_view codes);

std::string UpperCase(std::string_view codes);

}  // namespace fernlowe
