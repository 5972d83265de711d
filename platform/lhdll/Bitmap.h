// A 1-bit page: one bit per pixel, most significant bit first, 1 = ink.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace lhdll {

struct Bitmap {
    int width = 0;
    int height = 0;
    int stride = 0;  // bytes per row
    std::vector<std::uint8_t> bits;

    // Keeps the vector's capacity, so a page buffer reused for every read allocates once.
    void Reset(int w, int h) {
        Resize(w, h);
        bits.assign(bits.size(), 0);
    }
    // As Reset, but leaves the pixels undefined, for a decoder that writes every byte.
    void Resize(int w, int h) {
        width = w;
        height = h;
        stride = (w + 7) / 8;
        bits.resize(static_cast<std::size_t>(stride) * h);
    }
    std::uint8_t* Row(int y) { return bits.data() + static_cast<std::size_t>(y) * stride; }
    const std::uint8_t* Row(int y) const {
        return bits.data() + static_cast<std::size_t>(y) * stride;
    }
    bool Ink(int x, int y) const { return (Row(y)[x >> 3] >> (7 - (x & 7))) & 1; }
    void Set(int x, int y, bool ink) {
        const std::uint8_t mask = 0x80 >> (x & 7);
        if (ink) {
            Row(y)[x >> 3] |= mask;
        } else {
            Row(y)[x >> 3] &= ~mask;
        }
    }
};

}  // namespace lhdll
