#include <stdexcept>

#include "Symbol.h"

namespace fernlowe::draw {

namespace {

constexpr int kWide = 3;
constexpr std::size_t kQuietZone = 10;

}  // namespace

Symbol DrawInterleaved2of5(const std::string& codes) {
    SymbolBuilder builder(kQuietZone);
    for (char c : codes) {
        switch (c) {
            case '<':
                builder.Add(Elements({1, 1, 1, 1}));
                break;
            case '>':
                builder.Add(Elements({kWide, 1, 1}));
                break;
            case 'A':
            case 'B':
            case 'C':
            case 'D': {
                // One bar and the space after it; C and D have a wide bar, B and D a wide space.
                const int letter = c - 'A';
                builder.Add(Elements({letter & 2 ? kWide : 1, letter & 1 ? kWide : 1}));
                break;
            }
            default:
                throw std::invalid_argument(
                    "the Interleaved 2 of 5 font has no character with code " +
                    std::to_string(static_cast<unsigned char>(c)));
        }
    }
    return builder.Finish();
}

}  // namespace fernlowe::draw
