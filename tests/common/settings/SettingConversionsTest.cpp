#include <gtest/gtest.h>

#include "settings/SettingConversions.h"

namespace {

struct NumberCase {
    const char* text;
    std::optional<int> expected;
};

class Unsigned8 : public testing::TestWithParam<NumberCase> {};

TEST_P(Unsigned8, ConvertsOrFails) {
    const std::optional<quint8> value = TextToUnsigned8(QString::fromUtf8(GetParam().text));
    ASSERT_EQ(value.has_value(), GetParam().expected.has_value()) << GetParam().text;
    if (value) {
        EXPECT_EQ(*value, *GetParam().expected) << GetParam().text;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, Unsigned8,
    testing::Values(NumberCase{"14", 14}, NumberCase{"0", 0}, NumberCase{"255", 255},
                    NumberCase{"256", std::nullopt}, NumberCase{"300", std::nullopt},
                    NumberCase{"-1", std::nullopt}, NumberCase{"-0.5", 0},  // half to even: 0
                    NumberCase{"254.5", 254}, NumberCase{"253.5", 254},
                    NumberCase{"255.5", std::nullopt},  // rounds to 256
                    NumberCase{"  7  ", 7}, NumberCase{"\t8", 8}, NumberCase{"+9", 9},
                    NumberCase{"1e2", 100}, NumberCase{".5", 0}, NumberCase{"1.5", 2},
                    NumberCase{"", std::nullopt}, NumberCase{"   ", std::nullopt},
                    NumberCase{"abc", std::nullopt}, NumberCase{"12abc", std::nullopt},
                    NumberCase{"0x10", std::nullopt}, NumberCase{"1 2", std::nullopt},
                    NumberCase{"nan", std::nullopt}, NumberCase{"inf", std::nullopt},
                    NumberCase{"1e400", std::nullopt}));

class Signed16 : public testing::TestWithParam<NumberCase> {};

TEST_P(Signed16, ConvertsOrFails) {
    const std::optional<qint16> value = TextToSigned16(QString::fromUtf8(GetParam().text));
    ASSERT_EQ(value.has_value(), GetParam().expected.has_value()) << GetParam().text;
    if (value) {
        EXPECT_EQ(*value, *GetParam().expected) << GetParam().text;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, Signed16,
    testing::Values(NumberCase{"12.5", 12}, NumberCase{"13.5", 14}, NumberCase{"-12.5", -12},
                    NumberCase{"-13.5", -14}, NumberCase{"32767", 32767},
                    NumberCase{"32767.4", 32767}, NumberCase{"32767.5", std::nullopt},
                    NumberCase{"32768", std::nullopt}, NumberCase{"-32768", -32768},
                    NumberCase{"-32768.5", -32768}, NumberCase{"-32769", std::nullopt},
                    NumberCase{"3", 3}, NumberCase{"", std::nullopt},
                    NumberCase{"3,5", std::nullopt}));

struct BooleanCase {
    const char* text;
    std::optional<bool> expected;
};

class Boolean : public testing::TestWithParam<BooleanCase> {};

TEST_P(Boolean, ConvertsOrFails) {
    EXPECT_EQ(TextToBoolean(QString::fromUtf8(GetParam().text)), GetParam().expected)
        << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Table, Boolean,
    testing::Values(BooleanCase{"true", true}, BooleanCase{"True", true}, BooleanCase{"TRUE", true},
                    BooleanCase{"tRuE", true}, BooleanCase{"false", false},
                    BooleanCase{"FALSE", false}, BooleanCase{"-1", true}, BooleanCase{"7", true},
                    BooleanCase{"0.4", true}, BooleanCase{"0", false}, BooleanCase{"0.0", false},
                    BooleanCase{" false ", false}, BooleanCase{"yes", std::nullopt},
                    BooleanCase{"no", std::nullopt}, BooleanCase{"", std::nullopt},
                    BooleanCase{"truex", std::nullopt}));

}  // namespace
