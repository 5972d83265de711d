#include <array>
#include <string_view>

#include "C.h"
#include "EncodingHelpers.h"
#include "Windows1252.h"

namespace fernlowe {

namespace {

// Element widths of each digit, 'N' narrow and 'W' wide.
constexpr std::array<std::string_view, 10> kDigitWidths = {
    "NNWWN", "WNNNW", "NWNNW", "WWNNN", "NNWNW", "WNWNN", "NWWNN", "NNNWW", "WNNWN", "NWNWN",
};

// The first digit of a pair is drawn by the five bars, the second by the five spaces; each
// font letter draws one bar and the space after it: A narrow-narrow, B narrow-wide,
// C wide-narrow, D wide-wide.
constexpr std::array<std::array<char, 5>, 100> MakePairPatterns() {
    std::array<std::array<char, 5>, 100> patterns{};
    for (int pair = 0; pair < 100; ++pair) {
        for (int k = 0; k < 5; ++k) {
            const bool wide_bar = kDigitWidths[pair / 10][k] == 'W';
            const bool wide_space = kDigitWidths[pair % 10][k] == 'W';
            patterns[pair][k] = static_cast<char>('A' + (wide_bar ? 2 : 0) + (wide_space ? 1 : 0));
        }
    }
    return patterns;
}

constexpr auto kPairPatterns = MakePairPatterns();

}  // namespace

std::u16string C::odeITF(std::u16string& yourdata, std::int16_t checkdigit) const {
    std::string digits = Windows1252FromUtf16(yourdata);
    if (checkdigit == 0 && digits.size() % 2 == 1) {
        digits.insert(0, 1, '0');
    } else if (checkdigit == 1) {
        if (digits.size() % 2 == 0) {
            digits.insert(0, 1, '0');
        }
        digits.push_back(static_cast<char>('0' + Mod10CheckDigit(digits, Weight3On::OddPositions)));
    }
    yourdata = Utf16FromWindows1252(digits);

    std::string out;
    for (std::size_t i = 0; i < digits.size(); i += 2) {
        const double value = NumericValue(std::string_view(digits).substr(i, 2));
        if (value >= 0 && value <= 99 && value == static_cast<int>(value)) {
            const auto& pattern = kPairPatterns[static_cast<int>(value)];
            out.append(pattern.begin(), pattern.end());
        } else {
            out = "error";
        }
    }
    return Utf16FromWindows1252("<" + out + ">");
}

}  // namespace fernlowe
