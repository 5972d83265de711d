// Counting the ink of a 1-bit page a byte at a time, for the reader's inner loops.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>

#include "Bitmap.h"

namespace lhdll {

namespace ink_count_tables {

// Set bits of each byte, and the sum of their x within the byte (the top bit is x 0).
inline constexpr auto kBits = [] {
    std::array<std::uint8_t, 256> table{};
    for (int byte = 0; byte < 256; ++byte) {
        for (int bit = 0; bit < 8; ++bit) {
            table[byte] += (byte >> bit) & 1;
        }
    }
    return table;
}();
inline constexpr auto kXSums = [] {
    std::array<std::uint8_t, 256> table{};
    for (int byte = 0; byte < 256; ++byte) {
        for (int x = 0; x < 8; ++x) {
            table[byte] += ((byte >> (7 - x)) & 1) * x;
        }
    }
    return table;
}();

}  // namespace ink_count_tables

// Ink pixels of row y from x0 up to x1, x1 excluded; 0 <= x0 < x1 <= width.
inline int InkInRow(const Bitmap& page, int y, int x0, int x1) {
    using ink_count_tables::kBits;
    const std::uint8_t* row = page.Row(y);
    const int first = x0 >> 3;
    const int last = (x1 - 1) >> 3;
    const std::uint8_t head = 0xFF >> (x0 & 7);
    const std::uint8_t tail = 0xFF << (7 - ((x1 - 1) & 7));
    if (first == last) {
        return kBits[row[first] & head & tail];
    }
    int ink = kBits[row[first] & head] + kBits[row[last] & tail];
    for (int i = first + 1; i < last; ++i) {
        ink += kBits[row[i]];
    }
    return ink;
}

struct RowInk {
    long count = 0;
    long xSum = 0;  // the sum of the ink pixels' x
};

// As InkInRow, and where the ink lies.
inline RowInk InkAndPlaceInRow(const Bitmap& page, int y, int x0, int x1) {
    using ink_count_tables::kBits;
    using ink_count_tables::kXSums;
    const std::uint8_t* row = page.Row(y);
    RowInk ink;
    for (int i = x0 >> 3; i <= (x1 - 1) >> 3; ++i) {
        std::uint8_t byte = row[i];
        if (i == x0 >> 3) {
            byte &= 0xFF >> (x0 & 7);
        }
        if (i == (x1 - 1) >> 3) {
            byte &= 0xFF << (7 - ((x1 - 1) & 7));
        }
        ink.count += kBits[byte];
        ink.xSum += kBits[byte] * (i * 8L) + kXSums[byte];
    }
    return ink;
}

// Calls visit(column, ink) for every 8 x 8 block with ink among rows top to top + 7 (all within
// the page) and byte columns first to last, last excluded: the block's column is its byte in
// each row, its ink 1 to 64. Blocks are counted eight at a time, a 64-bit word per row.
template <typename Visit>
void ForEachInkedBlock(const Bitmap& page, int top, int first, int last, Visit visit) {
    int column = first;
    for (; column + 8 <= last; column += 8) {
        std::uint64_t words[8];
        std::uint64_t any = 0;
#pragma GCC unroll 8
        for (int r = 0; r < 8; ++r) {
            std::memcpy(&words[r], page.Row(top + r) + column, 8);
            any |= words[r];
        }
        if (any == 0) {
            continue;
        }
        // Each byte of counts adds up its block's set bits, 64 at most.
        std::uint64_t counts = 0;
#pragma GCC unroll 8
        for (const std::uint64_t word : words) {
            std::uint64_t v = word - ((word >> 1) & 0x5555555555555555);
            v = (v & 0x3333333333333333) + ((v >> 2) & 0x3333333333333333);
            counts += (v + (v >> 4)) & 0x0F0F0F0F0F0F0F0F;
        }
        for (int b = 0; b < 8 && counts != 0; ++b, counts >>= 8) {
            if (const int ink = static_cast<int>(counts & 0xFF)) {
                visit(column + b, ink);
            }
        }
    }
    for (; column < last; ++column) {
        int ink = 0;
        for (int r = 0; r < 8; ++r) {
            ink += ink_count_tables::kBits[page.Row(top + r)[column]];
        }
        if (ink != 0) {
            visit(column, ink);
        }
    }
}

}  // namespace lhdll
