#include "EncodingHelpers.h"

#include <cmath>

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
    // Summing modulo 10 gives the same digit as the full sums and cannot overflow,
    // whatever the length of the data.
    const std::size_t first_weighted = weight3 == Weight3On::OddPositions ? 0 : 1;
    int total = 0;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        const int digit = IsDigit(digits[i]) ? digits[i] - '0' : 0;
        const int weight = i % 2 == first_weighted ? 3 : 1;
        total = (total + weight * digit) % 10;
    }
    return total > 0 ? 10 - total : 0;
}

}  // namespace fernlowe
