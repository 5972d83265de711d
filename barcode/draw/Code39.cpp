#include <stdexcept>
#include <string_view>

#include "Symbol.h"

namespace fernlowe::draw {

namespace {

constexpr std::string_view kCharacters = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%*";

// Nine elements per character, bar first; bit 8 is the first element, a set bit is wide.
constexpr unsigned kPatterns[] = {
    0x034, 0x121, 0x061, 0x160, 0x031, 0x130, 0x070, 0x025, 0x124, 0x064,  // 0-9
    0x109, 0x049, 0x148, 0x019, 0x118, 0x058, 0x00D, 0x10C, 0x04C, 0x01C,  // A-J
    0x103, 0x043, 0x142, 0x013, 0x112, 0x052, 0x007, 0x106, 0x046, 0x016,  // K-T
    0x181, 0x0C1, 0x1C0, 0x091, 0x190, 0x0D0, 0x085, 0x184, 0x0C4, 0x0A8,  // U-Z - . space $
    0x0A2, 0x08A, 0x02A, 0x094,                                            // / + % start/stop
};
constexpr std::size_t kStartStop = 43;
constexpr int kWide = 3;
constexpr std::size_t kQuietZone = 10;

std::string Glyph(std::size_t index) {
    std::vector<int> widths;
    for (int bit = 8; bit >= 0; --bit) {
        widths.push_back((kPatterns[index] >> bit) & 1 ? kWide : 1);
    }
    widths.push_back(1);  // the gap between characters
    return Elements(widths);
}

}  // namespace

Symbol DrawCode39(const std::string& codes, const std::string& delim) {
    // The delimiter at each end is the font's start/stop character.
    std::string_view inner = codes;
    bool framed = false;
    if (!delim.empty() && inner.size() >= 2 * delim.size() && inner.starts_with(delim) &&
        inner.ends_with(delim)) {
        inner = inner.substr(delim.size(), inner.size() - 2 * delim.size());
        framed = true;
    }
    SymbolBuilder builder(kQuietZone);
    if (framed) {
        builder.Add(Glyph(kStartStop));
    }
    for (char c : inner) {
        const std::size_t index = kCharacters.find(c);
        if (index == std::string_view::npos) {
            throw std::invalid_argument("the Code 39 font has no character with code " +
                                        std::to_string(static_cast<unsigned char>(c)));
        }
        builder.Add(Glyph(index));
    }
    if (framed) {
        builder.Add(Glyph(kStartStop));
    }
    return builder.Finish();
}

}  // namespace fernlowe::draw
