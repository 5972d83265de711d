#include <array>
#include <stdexcept>

#include "Symbol.h"

namespace fernlowe::draw {

namespace {

// Set A (odd parity) widths, space first; set C draws the same widths bar first and set B
// draws them mirrored, bar last.
constexpr std::array<std::array<int, 4>, 10> kSetA = {{
    {3, 2, 1, 1},
    {2, 2, 2, 1},
    {2, 1, 2, 2},
    {1, 4, 1, 1},
    {1, 1, 3, 2},
    {1, 2, 3, 1},
    {1, 1, 1, 4},
    {1, 3, 1, 2},
    {1, 2, 1, 3},
    {3, 1, 1, 2},
}};
constexpr std::size_t kQuietZone = 10;
constexpr std::size_t kFigureWidth = 7;

std::string SetA(int d) {
    return Elements({kSetA[d].begin(), kSetA[d].end()}, false);
}
std::string SetB(int d) {
    return Elements({kSetA[d].rbegin(), kSetA[d].rend()}, false);
}
std::string SetC(int d) {
    return Elements({kSetA[d].begin(), kSetA[d].end()}, true);
}

}  // namespace

Symbol DrawUpcEan(const std::string& codes) {
    SymbolBuilder builder(kQuietZone);
    for (char c : codes) {
        const int code = static_cast<unsigned char>(c);
        if (code == '<') {
            builder.Add("101", true);
        } else if (code == '=') {
            builder.Add("01010", true);
        } else if (code >= 33 && code <= 42) {
            builder.Add(SetA(code - 33), false, static_cast<char>('0' + code - 33));
        } else if (code >= 48 && code <= 57) {
            builder.Add(SetA(code - 48), true);
        } else if (code >= 65 && code <= 74) {
            builder.Add(SetC(code - 65), true);
        } else if (code >= 97 && code <= 106) {
            builder.Add(SetC(code - 97), false, static_cast<char>('0' + code - 97));
        } else if (code >= 107 && code <= 116) {
            builder.Add(SetB(code - 107), false, static_cast<char>('0' + code - 107));
        } else if (code >= 117 && code <= 126) {
            builder.Add(std::string(kFigureWidth, '0'), false, static_cast<char>('0' + code - 117));
        } else {
            throw std::invalid_argument("the UPC/EAN font has no character with code " +
                                        std::to_string(code));
        }
    }
    return builder.Finish();
}

}  // namespace fernlowe::draw
