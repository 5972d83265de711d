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

// The check value of a symbol text: the start value with weight 1, the i-th character after
// it with weight i. The sum is a signed 16-bit quantity; leaving that range is an overflow.
int CheckValue(const std::string& text) {
    if (text.empty()) {
        throw ReportFunctionError(5, "Invalid procedure call or argument");
    }
    std::int64_t sum = CodeOf(text[0]) - kCodeOffset;
    for (std::size_t i = 1; i < text.size(); ++i) {
        sum +=
            static_cast<std::int64_t>(CodeOf(text[i]) - kCodeOffset) * static_cast<std::int64_t>(i);
        if (sum > INT16_MAX || sum < INT16_MIN) {
            throw ReportFunctionError(6, "Overflow");
        }
    }
    // Characters below code 32 make negative values; the remainder is taken non-negative so
    // that the check character is always a real symbol value.
    return static_cast<int>(((sum % 103) + 103) % 103);
}

}  // namespace

std::string C::Code128PackPairs(const std::string& text) {
    std::string packed;
    packed.reserve(text.size() / 2 + 1);
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const double code =
            RoundHalfEven(NumericValue(std::string_view(text).substr(i, 2)) + kCodeOffset);
        packed.push_back(static_cast<char>(static_cast<int>(code)));
    }
    return packed;
}

std::string C::Code128RemapChars(const std::string& text) {
    std::string remapped = text;
    for (char& c : remapped) {
        const int code = CodeOf(c);
        if (code == 32) {
            c = static_cast<char>(192);
        } else if (code == 39) {
            c = static_cast<char>(193);
        } else if (code == 96) {
            c = static_cast<char>(194);
        } else if (code >= 127 && code <= 133) {
            c = static_cast<char>(code + 68);
        }
    }
    return remapped;
}

std::u16string C::ode128(std::u16string& yourdata, std::int16_t format) const {
    const std::string data = Windows1252FromUtf16(yourdata);
    std::string text;
    switch (format) {
        case 0:
            text = kStartA + data;
            break;
        case 1:
            text = kStartB + data;
            break;
        case 2:
            text = kStartC + Code128PackPairs(data);
            break;
        case 3:
            text =
                std::string{kStartC, kFnc1} +
                Code128PackPairs(
                    data + static_cast<char>('0' + Mod10CheckDigit(data, Weight3On::OddPositions)));
            break;
        case 4:
            text = std::string{kStartC, kFnc1} + Code128PackPairs(data);
            break;
        default:
            text = data;  // the caller supplies the start character
            break;
    }
    // A failing call leaves this text behind for the caller.
    yourdata = Utf16FromWindows1252(text);

    text.push_back(static_cast<char>(CheckValue(text) + kCodeOffset));
    text = Code128RemapChars(text);
    yourdata = Utf16FromWindows1252(text);
    return Utf16FromWindows1252(text + kStop);
}

}  // namespace fernlowe
