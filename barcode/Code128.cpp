#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>

#include "C.h"
#include "EncodingHelpers.h"
#include "Windows1252.h"

namespace fernlowe {

namespace {

// A symbol value v is written as the character with code v + 32 until the final remapping.
constexpr int kCodeOffset = 32;
constexpr char kFnc1 = static_cast<char>(134);
constexpr char kStartA = static_cast<char>(135);
constexpr char kStartB = static_cast<char>(136);
constexpr char kStartC = static_cast<char>(137);
constexpr char kStop = static_cast<char>(138);

int CodeOf(char c) {
    return static_cast<unsigned char>(c);
}

// The check value 0 to 102 of a symbol text: the start value with weight 1, the i-th
// character after it with weight i. The sum is a signed 16-bit quantity; leaving that range
// is an overflow (error 6), and an empty text has no start to weigh (error 5).
struct CheckValue {
    int value = 0;
    int error = 0;
};

CheckValue CheckValueOf(std::string_view text) {
    if (text.empty()) {
        return {0, 5};
    }
    std::int64_t sum = CodeOf(text[0]) - kCodeOffset;
    for (std::size_t i = 1; i < text.size(); ++i) {
        sum +=
            static_cast<std::int64_t>(CodeOf(text[i]) - kCodeOffset) * static_cast<std::int64_t>(i);
        if (sum > INT16_MAX || sum < INT16_MIN) {
            return {0, 6};
        }
    }
    // Characters below code 32 make negative values; the remainder is taken non-negative so
    // that the check character is always a real symbol value.
    return {static_cast<int>(((sum % 103) + 103) % 103), 0};
}

void AssignUtf16(std::u16string& units, std::string_view codes) {
    units.resize(codes.size());
    WriteUtf16(codes, units.data());
}

// Code128RemapChars' table: the code each code becomes.
constexpr auto kRemapped = [] {
    std::array<char, 256> remapped{};
    for (int code = 0; code < 256; ++code) {
        remapped[code] = static_cast<char>(code == 32                   ? 192
                                           : code == 39                 ? 193
                                           : code == 96                 ? 194
                                           : code >= 127 && code <= 133 ? code + 68
                                                                        : code);
    }
    return remapped;
}();

}  // namespace

std::string C::Code128PackPairs(std::string_view text) {
    std::string packed;
    packed.reserve(text.size() / 2 + 1);
    for (std::size_t i = 0; i < text.size(); i += 2) {
        // A piece reads from -9 to 99; whole values, as digit pairs give, need no rounding.
        const double value = NumericValue(text.substr(i, 2)) + kCodeOffset;
        const int whole = static_cast<int>(value);
        packed.push_back(
            static_cast<char>(whole == value ? whole : static_cast<int>(RoundHalfEven(value))));
    }
    return packed;
}

void C::Code128RemapChars(std::span<char> text) {
    for (char& c : text) {
        c = kRemapped[static_cast<unsigned char>(c)];
    }
}

std::u16string C::ode128(std::u16string& yourdata, std::int16_t format) const {
    Scratch scratch;
    auto data = scratch.Text(yourdata.size());
    WriteWindows1252(yourdata, data.data());
    // Room for the start and FNC1 characters and the check character around the data.
    auto text = scratch.Text(0);
    text.reserve(data.size() + 3);
    switch (format) {
        case 0:
            text.push_back(kStartA);
            text += data;
            break;
        case 1:
            text.push_back(kStartB);
            text += data;
            break;
        case 2:
            text.push_back(kStartC);
            text += Code128PackPairs(data);
            break;
        case 3:
            data.push_back(static_cast<char>('0' + Mod10CheckDigit(data, Weight3On::OddPositions)));
            text.push_back(kStartC);
            text.push_back(kFnc1);
            text += Code128PackPairs(data);
            break;
        case 4:
            text.push_back(kStartC);
            text.push_back(kFnc1);
            text += Code128PackPairs(data);
            break;
        default:
            text += data;  // the caller supplies the start character
            break;
    }
    const CheckValue check = CheckValueOf(text);
    if (check.error != 0) {
        // A failing call leaves this text behind for the caller.
        AssignUtf16(yourdata, text);
        throw ReportFunctionError(
            check.error, check.error == 5 ? "Invalid procedure call or argument" : "Overflow");
    }
    text.push_back(static_cast<char>(check.value + kCodeOffset));
    Code128RemapChars(text);
    AssignUtf16(yourdata, text);
    std::u16string result(yourdata.size() + 1, Utf16Unit(kStop));
    std::copy(yourdata.begin(), yourdata.end(), result.begin());
    return result;
}

}  // namespace fernlowe
