#include <array>
#include <string_view>

#include "C.h"
#include "EncodingHelpers.h"
#include "Windows1252.h"

namespace fernlowe {

namespace {

// Characters of the UPC/EAN font: each range holds the digits 0 to 9.
constexpr char kNormalGuard = '<';
constexpr char kCentreGuard = '=';
constexpr int kLeftOdd = 33;         // set A
constexpr int kLeftEven = 107;       // set B
constexpr int kRight = 97;           // set C
constexpr int kUpcFirst = 48;        // UPC-A first digit, set A with long bars
constexpr int kUpcCheck = 65;        // UPC-A check digit, set C with long bars
constexpr int kOutsideFigure = 117;  // a figure printed outside the bars

// Left-half parity of EAN-13 by its first digit, 'A' odd and 'B' even.
constexpr std::array<std::string_view, 10> kEan13Parity = {
    "AAAAAA", "AABABB", "AABBAB", "AABBBA", "ABAABB",
    "ABBAAB", "ABBBAA", "ABABAB", "ABABBA", "ABBABA",
};

// The first `count` characters of the data as digits; a non-digit and a position beyond the
// end read as 0.
std::string Digits(const std::u16string& yourdata, std::size_t count) {
    const std::string data = Windows1252FromUtf16(std::u16string_view(yourdata).substr(0, count));
    std::string digits(count, '0');
    for (std::size_t i = 0; i < count && i < data.size(); ++i) {
        digits[i] = static_cast<char>('0' + static_cast<int>(NumericValue(data.substr(i, 1))));
    }
    return digits;
}

char Char(int range, char digit) {
    return static_cast<char>(range + (digit - '0'));
}

}  // namespace

std::u16string C::odeUPCA(const std::u16string& yourdata) const {
    if (yourdata.size() != 11) {
        return {};
    }
    const std::string d = Digits(yourdata, 11);
    const char check = static_cast<char>('0' + Mod10CheckDigit(d, Weight3On::OddPositions));
    std::string out;
    out += Char(kOutsideFigure, d[0]);
    out += kNormalGuard;
    out += Char(kUpcFirst, d[0]);
    for (std::size_t k = 1; k < 6; ++k) {
        out += Char(kLeftOdd, d[k]);
    }
    out += kCentreGuard;
    for (std::size_t k = 6; k < 11; ++k) {
        out += Char(kRight, d[k]);
    }
    out += Char(kUpcCheck, check);
    out += kNormalGuard;
    out += Char(kOutsideFigure, check);
    return Utf16FromWindows1252(out);
}

std::u16string C::odeEAN13(const std::u16string& yourdata) const {
    const std::string d = Digits(yourdata, 12);
    const std::string_view parity = kEan13Parity[d[0] - '0'];
    const char check = static_cast<char>('0' + Mod10CheckDigit(d, Weight3On::EvenPositions));
    std::string out;
    out += Char(kOutsideFigure, d[0]);
    out += kNormalGuard;
    for (std::size_t k = 1; k < 7; ++k) {
        out += Char(parity[k - 1] == 'A' ? kLeftOdd : kLeftEven, d[k]);
    }
    out += kCentreGuard;
    for (std::size_t k = 7; k < 12; ++k) {
        out += Char(kRight, d[k]);
    }
    out += Char(kRight, check);
    out += kNormalGuard;
    return Utf16FromWindows1252(out);
}

std::u16string C::odeEAN8(const std::u16string& yourdata) const {
    const std::string d = Digits(yourdata, 7);
    const char check = static_cast<char>('0' + Mod10CheckDigit(d, Weight3On::OddPositions));
    std::string out;
    out += kNormalGuard;
    for (std::size_t k = 0; k < 4; ++k) {
        out += Char(kLeftOdd, d[k]);
    }
    out += kCentreGuard;
    for (std::size_t k = 4; k < 7; ++k) {
        out += Char(kRight, d[k]);
    }
    out += Char(kRight, check);
    out += kNormalGuard;
    return Utf16FromWindows1252(out);
}

}  // namespace fernlowe
