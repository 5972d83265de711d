#include "Windows1252.h"

#include <gtest/gtest.h>

using fernlowe::UpperCase;
using fernlowe::Utf16FromWindows1252;
using fernlowe::Windows1252FromUtf16;

TEST(Windows1252, EveryCodeTravelsThereAndBack) {
    for (int code = 0; code < 256; ++code) {
        const std::string one(1, static_cast<char>(code));
        const std::u16string unit = Utf16FromWindows1252(one);
        ASSERT_EQ(unit.size(), 1u);
        EXPECT_EQ(Windows1252FromUtf16(unit), one) << code;
    }
}

TEST(Windows1252, CodePointsOfTheHighCodes) {
    const struct {
        int code;
        char16_t unit;
    } cases[] = {
        {0x80, u'\u20AC'}, {0x81, u'\u0081'}, {0x87, u'\u2021'}, {0x88, u'\u02C6'},
        {0x8A, u'\u0160'}, {0x8D, u'\u008D'}, {0x8F, u'\u008F'}, {0x90, u'\u0090'},
        {0x9D, u'\u009D'}, {0x9F, u'\u0178'}, {0xA0, u'\u00A0'}, {0xFF, u'\u00FF'},
        {0x7F, u'\u007F'}, {0x00, u'\u0000'},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Utf16FromWindows1252(std::string(1, static_cast<char>(c.code)))[0], c.unit)
            << c.code;
    }
}

TEST(Windows1252, ExactlyTheCodePageReachesACode) {
    // Of all 65536 code units, the 256 of the code page map to their codes and every other
    // unit becomes a question mark.
    int mapped = 0;
    for (char32_t unit = 0; unit <= 0xFFFF; ++unit) {
        const std::string code =
            Windows1252FromUtf16(std::u16string(1, static_cast<char16_t>(unit)));
        ASSERT_EQ(code.size(), 1u);
        if (Utf16FromWindows1252(code)[0] == unit) {
            ++mapped;
        } else {
            EXPECT_EQ(code, "?") << static_cast<unsigned>(unit);
        }
    }
    EXPECT_EQ(mapped, 256);
}

TEST(Windows1252, SurrogatePairBecomesTwoQuestionMarks) {
    EXPECT_EQ(Windows1252FromUtf16(u"a\U0001F600b"), "a??b");
}

TEST(Windows1252, UpperCase) {
    const struct {
        int in;
        int out;
    } cases[] = {
        {'a', 'A'},   {'z', 'Z'},   {'A', 'A'},   {'1', '1'},   {'*', '*'},   {0xE9, 0xC9},
        {0xE0, 0xC0}, {0xFE, 0xDE}, {0xF7, 0xF7}, {0xDF, 0xDF}, {0xB5, 0xB5}, {0xFF, 0x9F},
        {0x9A, 0x8A}, {0x9C, 0x8C}, {0x9E, 0x8E}, {0x8A, 0x8A},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(static_cast<unsigned char>(UpperCase(std::string(1, static_cast<char>(c.in)))[0]),
                  c.out)
            << c.in;
    }
}
