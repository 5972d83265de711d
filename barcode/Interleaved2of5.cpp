#include <algorithm>
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
    const bool odd = yourdata.size() % 2 == 1;
    const bool padded = (checkdigit == 0 && odd) || (checkdigit == 1 && !odd);
    Scratch scratch;
    auto digits = scratch.Text(padded + yourdata.size());
    if (padded) {
        digits[0] = '0';
    }
    WriteWindows1252(yourdata, digits.data() + padded);
    if (checkdigit == 1) {
        digits.push_back(static_cast<char>('0' + Mod10CheckDigit(digits, Weight3On::OddPositions)));
    }
    yourdata.resize(digits.size());
    WriteUtf16(digits, yourdata.data());

    // The result's letters are ASCII, so each code is its own code unit.
    std::u16string out(2 + 5 * ((digits.size() + 1) / 2), u'\0');
    char16_t* end = out.data();
    *end++ = u'<';
    for (std::size_t i = 0; i < digits.size(); i += 2) {
        const double value = NumericValue(std::string_view(digits).substr(i, 2));
        if (value >= 0 && value <= 99 && value == static_cast<int>(value)) {
            end = std::copy_n(kPairPatterns[static_cast<int>(value)].begin(), 5, end);
        } else {
            end = std::copy_n(u"<error", 6, out.data());
        }
    }
    *end++ = u'>';
    out.resize(static_cast<std::size_t>(end - out.data()));
    return out;
}

}  // namespace fernlowe
