#include "EncodingHelpers.h"

#include <gtest/gtest.h>

#include <string>

using fernlowe::Mod10CheckDigit;
using fernlowe::NumericValue;
using fernlowe::RoundHalfEven;
using fernlowe::Weight3On;

TEST(NumericValue, Pieces) {
    const struct {
        std::string piece;
        double value;
    } cases[] = {
        {"07", 7},
        {"7A", 7},
        {"A7", 0},
        {" 7", 7},
        {"-3", -3},
        {".5", 0.5},
        {"5", 5},
        {"0", 0},
        {"A", 0},
        {" ", 0},
        {"", 0},
        {"-", 0},
        {".", 0},
        {"\t7", 7},
        {"\n7", 7},
        {"\r7", 0},
        {"7 ", 7},
        {"+5", 5},
        {"5.", 5},
        {"99", 99},
        {"1 2", 12},
        {"- 3", -3},
        {"--1", 0},
        {"1.2.3", 1.2},
        {"-.", 0},
        {"+-", 0},
        {"1E", 1},
        {"\xA0"
         "7",
         0},
    };
    for (const auto& c : cases) {
        EXPECT_DOUBLE_EQ(NumericValue(c.piece), c.value) << '"' << c.piece << '"';
    }
}

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour) {
    const struct {
        double in;
        double out;
    } cases[] = {
        {32.5, 32}, {33.5, 34}, {32.7, 33}, {32.2, 32}, {27, 27}, {-0.5, 0}, {-1.5, -2}, {0.5, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RoundHalfEven(c.in), c.out) << c.in;
    }
}

TEST(Mod10CheckDigit, Digits) {
    const struct {
        std::string digits;
        Weight3On weight3;
        int check;
    } cases[] = {
        {"03600029145", Weight3On::OddPositions, 2},
        {"9638507", Weight3On::OddPositions, 4},
        {"400638133393", Weight3On::EvenPositions, 1},
        {"01234", Weight3On::OddPositions, 8},
        {"123", Weight3On::OddPositions, 6},
        {"", Weight3On::OddPositions, 0},
        {"0", Weight3On::OddPositions, 0},
        {"5", Weight3On::OddPositions, 5},
        {"5", Weight3On::EvenPositions, 5},
        {"55", Weight3On::OddPositions, 0},  // a multiple of 10 gives 0, never 10
        {"A9", Weight3On::OddPositions, 1},  // non-digits count 0
        {"-9", Weight3On::OddPositions, 1},
        {std::string(100001, '9'), Weight3On::OddPositions, 3},  // sums past 16 bits
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Mod10CheckDigit(c.digits, c.weight3), c.check) << c.digits.substr(0, 20);
    }
}
