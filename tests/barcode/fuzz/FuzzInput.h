#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

// Splits the fuzzer's bytes into the arguments of a report function.
class FuzzInput {
  public:
    FuzzInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    std::int16_t Int16() {
        std::uint16_t value = 0;
        for (int i = 0; i < 2 && size_ > 0; ++i, ++data_, --size_) {
            value = static_cast<std::uint16_t>(value << 8 | *data_);
        }
        return static_cast<std::int16_t>(value);
    }

    // Up to `units` UTF-16 code units, little-endian; all that remains by default.
    std::u16string Text(std::size_t units = SIZE_MAX) {
        std::u16string text;
        for (; text.size() < units && size_ >= 2; data_ += 2, size_ -= 2) {
            text.push_back(static_cast<char16_t>(data_[0] | data_[1] << 8));
        }
        return text;
    }

  private:
    const std::uint8_t* data_;
    std::size_t size_;
};

// A broken promise of the report functions is a finding, like a crash.
#define FUZZ_CHECK(condition)                                                                  \
    do {                                                                                       \
        if (!(condition)) {                                                                    \
            std::fprintf(stderr, "%s:%d: %s does not hold\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                      \
        }                                                                                      \
    } while (false)
