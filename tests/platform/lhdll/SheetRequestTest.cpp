#include "lhdll/SheetRequest.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Refused {
    std::vector<std::string> args;
    const char* reason;  // part of the message
};

class RefuseRequest : public testing::TestWithParam<Refused> {};

TEST_P(RefuseRequest, SaysWhy) {
    const auto parsed = lhdll::ParseSheetRequest(GetParam().args);
    ASSERT_TRUE(std::holds_alternative<std::string>(parsed));
    EXPECT_NE(std::get<std::string>(parsed).find(GetParam().reason), std::string::npos)
        << std::get<std::string>(parsed);
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, RefuseRequest,
    testing::Values(Refused{{}, "no kind"}, Refused{{"card", "o.tif"}, "unknown kind"},
                    Refused{{"header", "o.tif"}, "--type"},
                    Refused{{"header", "--type", "-1", "o.tif"}, "--type"},
                    Refused{{"header", "--type", "-6", "o.tif"}, "--batch 1 to 999"},
                    Refused{{"header", "--type", "-4", "--batch", "0", "o.tif"}, "1 to 999"},
                    Refused{{"header", "--type", "-6", "--batch", "1000", "o.tif"}, "1 to 999"},
                    Refused{{"header", "--type", "-6", "--batch", "x", "o.tif"}, "number"},
                    Refused{{"header", "--type", "-5", "--batch", "3", "o.tif"}, "no batch"},
                    Refused{{"ender", "--batch", "3", "o.tif"}, "does not apply"},
                    Refused{{"ballot", "--type", "-2", "o.tif"}, "outside -6 to -1"},
                    Refused{{"ballot", "--marks", "0", "o.tif"}, "bubble 0"},
                    Refused{{"ballot", "--marks", "97", "o.tif"}, "bubble 97"},
                    Refused{{"ballot", "--marks", "1,,2", "o.tif"}, "commas"},
                    Refused{{"ballot", "--printed", "x", "o.tif"}, "seed"},
                    Refused{{"header", "--type", "-5", "--printed", "1", "o.tif"},
                            "does not apply"},
                    Refused{{"blank", "--skew", "11", "o.tif"}, "-10 to 10"},
                    Refused{{"blank", "--skew", "nan", "o.tif"}, "-10 to 10"},
                    Refused{{"blank", "--noise", "-1", "o.tif"}, "seed"},
                    Refused{{"blank", "--blot", "1,2,3", "o.tif"}, "X,Y,W,H"},
                    Refused{{"code", "o.tif"}, "--text"}, Refused{{"blank"}, "one output"},
                    Refused{{"blank", "a.tif", "b.tif"}, "one output"},
                    Refused{{"blank", "o.tif", "--noise"}, "needs a value"}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

TEST(SheetRequest, HeaderWithEverything) {
    const auto parsed = lhdll::ParseSheetRequest({"header", "--type", "-6", "--batch", "7",
                                                  "--skew", "-2.5", "--noise", "42", "--blot",
                                                  "1,2,3,4", "--blot", "5,6,7,8", "out.tif"});
    ASSERT_TRUE(std::holds_alternative<lhdll::SheetRequest>(parsed));
    const auto& request = std::get<lhdll::SheetRequest>(parsed);
    EXPECT_EQ(request.drawing.cardCode, "LH1:-6:7");
    EXPECT_FALSE(request.drawing.bubbleGrid);
    EXPECT_DOUBLE_EQ(request.skewDegrees, -2.5);
    EXPECT_EQ(request.noiseSeed, 42u);
    ASSERT_EQ(request.drawing.blots.size(), 2u);
    EXPECT_EQ(request.drawing.blots[1].x, 5);
    EXPECT_EQ(request.drawing.blots[1].height, 8);
    EXPECT_EQ(request.output, "out.tif");
}

TEST(SheetRequest, BallotDefaultsToTypeOne) {
    const auto parsed = lhdll::ParseSheetRequest({"ballot", "--marks", "1,5,9", "b.tif"});
    ASSERT_TRUE(std::holds_alternative<lhdll::SheetRequest>(parsed));
    const auto& request = std::get<lhdll::SheetRequest>(parsed);
    EXPECT_EQ(request.drawing.cardCode, "LH1:1");
    EXPECT_TRUE(request.drawing.bubbleGrid);
    EXPECT_EQ(request.drawing.marks, (std::vector<int>{1, 5, 9}));
    EXPECT_FALSE(request.noiseSeed.has_value());
}

TEST(SheetRequest, BlankHasNothingOnIt) {
    const auto parsed = lhdll::ParseSheetRequest({"blank", "x.tif"});
    ASSERT_TRUE(std::holds_alternative<lhdll::SheetRequest>(parsed));
    const auto page = lhdll::MakeSheet(std::get<lhdll::SheetRequest>(parsed));
    EXPECT_EQ(page.width, 1700);
    EXPECT_EQ(page.height, 2200);
    EXPECT_EQ(std::count(page.bits.begin(), page.bits.end(), 0), page.bits.size());
}

TEST(SheetRequest, SameSeedSameSpeckle) {
    const auto request = std::get<lhdll::SheetRequest>(
        lhdll::ParseSheetRequest({"ender", "--noise", "9", "--skew", "1", "x.tif"}));
    auto other = request;
    other.noiseSeed = 10;
    EXPECT_EQ(lhdll::MakeSheet(request).bits, lhdll::MakeSheet(request).bits);
    EXPECT_NE(lhdll::MakeSheet(request).bits, lhdll::MakeSheet(other).bits);
}

}  // namespace
