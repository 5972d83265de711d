#include <array>
#include <string_view>

#include "C.h"
#include "EncodingHelpers.h"
#include "Windows1252.h"

namespace fernlowe {

namespace {

// Characters of the UPC/EAN font: each range holds the digits 0 to 9. All are ASCII, so each
// code is its own UTF-16 code unit.
constexpr char16_t kNormalGuard = u'<';
constexpr char16_t kCentreGuard = u'=';
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

// The first `count` characters of the data as digits. Each is the NumericValue of its single
// character: its digit, or 0 for any other character; a position beyond the end reads as 0.
std::array<char, 12> Digits(const std::u16string& yourdata, std::size_t count) {
    std::array<char, 12> digits;
    digits.fill('0');
    for (std::size_t i = 0; i < count && i < yourdata.size(); ++i) {
        const char code = Windows1252Code(yourdata[i]);
        digits[i] = code >= '0' && code <= '9' ? code : '0';
    }
    return digits;
}

char16_t Char(int range, char digit) {
    return static_cast<char16_t>(range + (digit - '0'));
}

// The characters of a symbol of fixed length, gathered before they become its text.
template <std::size_t kLength>
class Symbol {
  public:
    void Put(char16_t c) { characters_[size_++] = c; }
    std::u16string Text() const { return {characters_.data(), size_}; }

  private:
    std::array<char16_t, kLength> characters_{};
    std::size_t size_ = 0;
};

}  // namespace

std::u16string C::odeUPCA(const std::u16string& yourdata) const {
    if (yourdata.size() != 11) {
        return {};
    }
    const auto d = Digits(yourdata, 11);
    const char check =
        static_cast<char>('0' + Mod10CheckDigit({d.data(), 11}, Weight3On::OddPositions));
    Symbol<17> out;
    out.Put(Char(kOutsideFigure, d[0]));
    out.Put(kNormalGuard);
    out.Put(Char(kUpcFirst, d[0]));
    for (std::size_t k = 1; k < 6; ++k) {
        out.Put(Char(kLeftOdd, d[k]));
    }
    out.Put(kCentreGuard);
    for (std::size_t k = 6; k < 11; ++k) {
        out.Put(Char(kRight, d[k]));
    }
    out.Put(Char(kUpcCheck, check));
    out.Put(kNormalGuard);
    out.Put(Char(kOutsideFigure, check));
    return out.Text();
}

std::u16string C::odeEAN13(const std::u16string& yourdata) const {
    const auto d = Digits(yourdata, 12);
    const std::string_view parity = kEan13Parity[d[0] - '0'];
    const char check =
        static_cast<char>('0' + Mod10CheckDigit({d.data(), 12}, Weight3On::EvenPositions));
    Symbol<16> out;
    out.Put(Char(kOutsideFigure, d[0]));
    out.Put(kNormalGuard);
    for (std::size_t k = 1; k < 7; ++k) {
        out.Put(Char(parity[k - 1] == 'A' ? kLeftOdd : kLeftEven, d[k]));
    }
    out.Put(kCentreGuard);
    for (std::size_t k = 7; k < 12; ++k) {
        out.Put(Char(kRight, d[k]));
    }
    out.Put(Char(kRight, check));
    out.Put(kNormalGuard);
    return out.Text();
}

std::u16string C::odeEAN8(const std::u16string& yourdata) const {
    const auto d = Digits(yourdata, 7);
    const char check =
        static_cast<char>('0' + Mod10CheckDigit({d.data(), 7}, Weight3On::OddPositions));
    Symbol<11> out;
    out.Put(kNormalGuard);
    for (std::size_t k = 0; k < 4; ++k) {
        out.Put(Char(kLeftOdd, d[k]));
    }
    out.Put(kCentreGuard);
    for (std::size_t k = 4; k < 7; ++k) {
        out.Put(Char(kRight, d[k]));
    }
    out.Put(Char(kRight, check));
    out.Put(kNormalGuard);
    return out.Text();
}

}  // namespace fernlowe
