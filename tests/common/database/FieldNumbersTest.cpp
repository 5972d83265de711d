#include "database/FieldNumbers.h"

#include <gtest/gtest.h>

#include "database/DatabaseError.h"

namespace {

TEST(FieldNumbers, WholeNumbersArriveAsWhateverTypeTheDriverChose) {
    EXPECT_EQ(WholeNumber(QVariant(qlonglong{42})), 42);
    EXPECT_EQ(WholeNumber(QVariant(int{-7})), -7);
    EXPECT_EQ(WholeNumber(QVariant(QStringLiteral("110"))), 110);
    EXPECT_EQ(WholeNumber(QVariant(qlonglong{1} << 40)), qint64{1} << 40);
}

TEST(FieldNumbers, NullAndNonNumbersAreErrors) {
    EXPECT_THROW(WholeNumber(QVariant()), DatabaseError);
    EXPECT_THROW(WholeNumber(QVariant(QMetaType::fromType<qlonglong>())), DatabaseError);
    EXPECT_THROW(WholeNumber(QVariant(QStringLiteral("many"))), DatabaseError);
}

struct RangeCase {
    qint64 number;
    bool fits16;
    bool fits32;
};

class Ranges : public testing::TestWithParam<RangeCase> {};

TEST_P(Ranges, NumbersOutsideTheTypeAreErrors) {
    const RangeCase& c = GetParam();
    if (c.fits16) {
        EXPECT_EQ(ToInt16(c.number), c.number);
    } else {
        EXPECT_THROW(ToInt16(c.number), DatabaseError);
    }
    if (c.fits32) {
        EXPECT_EQ(ToInt32(c.number), c.number);
    } else {
        EXPECT_THROW(ToInt32(c.number), DatabaseError);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, Ranges,
    testing::Values(RangeCase{0, true, true}, RangeCase{32767, true, true},
                    RangeCase{32768, false, true}, RangeCase{-32768, true, true},
                    RangeCase{-32769, false, true}, RangeCase{2147483647, false, true},
                    RangeCase{2147483648, false, false}, RangeCase{-2147483648LL, false, true},
                    RangeCase{-2147483649LL, false, false}));

}  // namespace
