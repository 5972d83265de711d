#include "EncodingHelpers.h"

#include <cmath>
#include <cstdint>

namespace fernlowe {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

double NumericValue(std::string_view piece) {
    // Digits alone, as the encoders mostly see them, read the same without the general walk.
    if (piece.size() == 2 && IsDigit(piece[0]) && IsDigit(piece[1])) {
        return (piece[0] - '0') * 10 + (piece[1] - '0');
    }
    if (piece.size() == 1 && IsDigit(piece[0])) {
        return piece[0] - '0';
    }
    std::size_t i = 0;
    auto skip_blanks = [&] {
        while (i < piece.size() && IsBlank(piece[i])) {
            ++i;
        }
    };
    skip_blanks();
    bool negative = false;
    if (i < piece.size() && (piece[i] == '+' || piece[i] == '-')) {
        negative = piece[i] == '-';
        ++i;
    }
    double value = 0;
    double scale = 1;  // below 1 once the decimal point has been read
    bool point_read = false;
    for (skip_blanks(); i < piece.size(); ++i, skip_blanks()) {
        const char c = piece[i];
        if (IsDigit(c)) {
            if (point_read) {
                scale /= 10;
                value += (c - '0') * scale;
            } else {
                value = value * 10 + (c - '0');
            }
        } else if (c == '.' && !point_read) {
            point_read = true;
        } else {
            break;
        }
    }
    return negative ? -value : value;
}

double RoundHalfEven(double value) {
    double whole = std::floor(value);
    const double rest = value - whole;
    if (rest > 0.5 || (rest == 0.5 && std::fmod(whole, 2) != 0)) {
        whole += 1;
    }
    return whole;
}

int Mod10CheckDigit(std::string_view digits, Weight3On weight3) {
    // The digit sums of the odd positions (indexes 0, 2, ...) and of the even ones; 64 bits
    // hold them for any length of data.
    const auto value = [](char c) -> std::uint64_t { return IsDigit(c) ? c - '0' : 0; };
    std::uint64_t odd = 0;
    std::uint64_t even = 0;
    std::size_t i = 0;
    for (; i + 1 < digits.size(); i += 2) {
        odd += value(digits[i]);
        even += value(digits[i + 1]);
    }
    if (i < digits.size()) {
        odd += value(digits[i]);
    }
    const bool weighOdd = weight3 == Weight3On::OddPositions;
    const auto r =
        static_cast<int>((3 * ((weighOdd ? odd : even) % 10) + (weighOdd ? even : odd)) % 10);
    return r > 0 ? 10 - r : 0;
}

}  // namespace fernlowe
