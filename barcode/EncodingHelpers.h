#pragma once

#include <array>
#include <cstddef>
#include <memory_resource>
#include <string>
#include <string_view>

namespace fernlowe {

// Reads a piece of data as a decimal number: blanks (space, tab, line feed) are skipped
// wherever they stand, then an optional sign, digits and at most one decimal point are
// read up to the first other character. No digit at all reads as 0.
double NumericValue(std::string_view piece);

// Nearest whole number, halves to the even neighbour.
double RoundHalfEven(double value);

enum class Weight3On { OddPositions, EvenPositions };

// The modulo-10 check digit 0 to 9 of a text of digits, positions counted from 1 at the
// left; characters that are not digits count as 0.
int Mod10CheckDigit(std::string_view digits, Weight3On weight3);

// Room for the working texts of one call. The data of a report field fits on the stack, so a
// call allocates only the strings it hands back; longer data spills over to the heap.
class Scratch {
  public:
    Scratch() = default;
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;

    // A text of size codes, all 0.
    std::pmr::string Text(std::size_t size) { return std::pmr::string(size, '\0', &arena_); }

  private:
    std::array<std::byte, 512> space_;
    std::pmr::monotonic_buffer_resource arena_{space_.data(), space_.size()};
};

}  // namespace fernlowe
