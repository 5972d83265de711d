#include "lhdll/CardCode.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

struct Text {
    const char* text;
    std::optional<lhdll::CardCode> code;
};

class ParseCardCode : public testing::TestWithParam<Text> {};

TEST_P(ParseCardCode, AcceptsOnlyCanonicalCodes) {
    const auto parsed = lhdll::ParseCardCode(GetParam().text);
    ASSERT_EQ(parsed.has_value(), GetParam().code.has_value());
    if (parsed) {
        EXPECT_EQ(parsed->type, GetParam().code->type);
        EXPECT_EQ(parsed->batch, GetParam().code->batch);
        EXPECT_EQ(lhdll::FormatCardCode(*parsed), GetParam().text);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ParseCardCode,
    testing::Values(
        Text{"LH1:-6:7", lhdll::CardCode{-6, 7}}, Text{"LH1:-6:999", lhdll::CardCode{-6, 999}},
        Text{"LH1:-5", lhdll::CardCode{-5, 0}}, Text{"LH1:-4:1", lhdll::CardCode{-4, 1}},
        Text{"LH1:-1", lhdll::CardCode{-1, 0}}, Text{"LH1:0", lhdll::CardCode{0, 0}},
        Text{"LH1:32767", lhdll::CardCode{32767, 0}},
        Text{"LH1:-32768", lhdll::CardCode{-32768, 0}}, Text{"LH1:-7", lhdll::CardCode{-7, 0}},
        Text{"LH1:32768", std::nullopt}, Text{"LH1:-32769", std::nullopt},
        Text{"LH1:-3", std::nullopt}, Text{"LH1:-2", std::nullopt}, Text{"LH1:-6", std::nullopt},
        Text{"LH1:-6:0", std::nullopt}, Text{"LH1:-6:1000", std::nullopt},
        Text{"LH1:-6:007", std::nullopt}, Text{"LH1:-5:3", std::nullopt},
        Text{"LH1:-1:3", std::nullopt}, Text{"LH1:1:3", std::nullopt}, Text{"LH1:01", std::nullopt},
        Text{"LH1:-0", std::nullopt}, Text{"LH1:+1", std::nullopt}, Text{"LH1:", std::nullopt},
        Text{"LH1:-6:7:", std::nullopt}, Text{"LH1:-6:7 ", std::nullopt},
        Text{"LH2:-1", std::nullopt}, Text{"lh1:-1", std::nullopt}, Text{"", std::nullopt}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

}  // namespace
