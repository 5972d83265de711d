// The card types of the ballot-reading library's record, as the library and the station sort them.
#include <gtest/gtest.h>

#include <string>

#include "reader/ORLAProtocol7TypeDefs.h"

namespace {

struct Kind {
    std::int16_t cardType;
    bool header;
    bool ender;
    bool ballot;
    bool batchNumber;
};

class CardTypes : public testing::TestWithParam<Kind> {};

TEST_P(CardTypes, SortIntoHeaderEnderAndBallot) {
    const auto kind = GetParam();
    EXPECT_EQ(ORLAProtocol7TypeDefs::IsHeaderCard(kind.cardType), kind.header);
    EXPECT_EQ(ORLAProtocol7TypeDefs::IsEnderCard(kind.cardType), kind.ender);
    EXPECT_EQ(ORLAProtocol7TypeDefs::IsBallot(kind.cardType), kind.ballot);
    EXPECT_EQ(ORLAProtocol7TypeDefs::CarriesBatchNumber(kind.cardType), kind.batchNumber);
}

INSTANTIATE_TEST_SUITE_P(
    Values, CardTypes,
    testing::Values(Kind{-32768, false, false, true, false}, Kind{-7, false, false, true, false},
                    Kind{-6, true, false, false, true}, Kind{-5, true, false, false, false},
                    Kind{-4, true, false, false, true}, Kind{-3, false, false, false, false},
                    Kind{-2, false, false, false, false}, Kind{-1, false, true, false, false},
                    Kind{0, false, false, true, false}, Kind{1, false, false, true, false},
                    Kind{32767, false, false, true, false}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

}  // namespace
