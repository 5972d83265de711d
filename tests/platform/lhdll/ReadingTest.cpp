// Reads sheets made by the sheet maker back through the library's entry points.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "lhdll/LHDLL.h"
#include "lhdll/TiffWriter.h"
#include "support/SheetFiles.h"
#include "support/TempFolder.h"

namespace {

struct Card {
    const char* name;
    std::vector<std::string> args;
    std::int16_t cardType;
    std::int16_t batch;
    const char* code;
    std::vector<int> marks;
};

struct Handling {
    const char* name;
    std::vector<std::string> args;
    double skew;
};

const Card kCards[] = {
    {"header6_batch1", {"header", "--type", "-6", "--batch", "1"}, -6, 1, "LH1:-6:1", {}},
    {"header6_batch999", {"header", "--type", "-6", "--batch", "999"}, -6, 999, "LH1:-6:999", {}},
    {"header5", {"header", "--type", "-5"}, -5, 0, "LH1:-5", {}},
    {"header4_batch12", {"header", "--type", "-4", "--batch", "12"}, -4, 12, "LH1:-4:12", {}},
    {"header4_batch500", {"header", "--type", "-4", "--batch", "500"}, -4, 500, "LH1:-4:500", {}},
    {"ender", {"ender"}, -1, 0, "LH1:-1", {}},
    {"ballot_unmarked", {"ballot"}, 1, 0, "LH1:1", {}},
    {"ballot_marked", {"ballot", "--marks", "1,5,9"}, 1, 0, "LH1:1", {1, 5, 9}},
    {"ballot_corners",
     {"ballot", "--type", "0", "--marks", "1,24,25,72,73,96"},
     0,
     0,
     "LH1:0",
     {1, 24, 25, 72, 73, 96}},
    {"ballot_type_max",
     {"ballot", "--type", "32767", "--marks", "48"},
     32767,
     0,
     "LH1:32767",
     {48}},
    {"ballot_type_minus7", {"ballot", "--type", "-7", "--marks", "2,3"}, -7, 0, "LH1:-7", {2, 3}},
    {"ballot_type_min",
     {"ballot", "--type", "-32768", "--marks", "10,20,30,40,50,60,70,80,90"},
     -32768,
     0,
     "LH1:-32768",
     {10, 20, 30, 40, 50, 60, 70, 80, 90}},
    {"ballot_printed",
     {"ballot", "--printed", "4", "--marks", "2,30,77"},
     1,
     0,
     "LH1:1",
     {2, 30, 77}},
    {"ballot_printed_corners",
     {"ballot", "--type", "250", "--printed", "9", "--marks", "1,24,25,72,73,96"},
     250,
     0,
     "LH1:250",
     {1, 24, 25, 72, 73, 96}},
};

const Handling kHandlings[] = {
    {"clean", {}, 0},
    {"skew_plus3", {"--skew", "3"}, 3},
    {"skew_minus3", {"--skew", "-3"}, -3},
    {"skew_plus1_5", {"--skew", "1.5"}, 1.5},
    {"speckle", {"--noise", "11"}, 0},
    {"skew_plus3_speckle", {"--skew", "3", "--noise", "12"}, 3},
    {"skew_minus3_speckle", {"--skew", "-3", "--noise", "13"}, -3},
    {"skew_minus2_speckle", {"--skew", "-2.2", "--noise", "14"}, -2.2},
};

std::vector<std::string> Join(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// A record full of leftovers from an earlier read, as hosts reuse one record.
BallotMarks UsedRecord() {
    BallotMarks marks;
    std::memset(&marks, 0x5A, sizeof marks);
    return marks;
}

class ReadCard : public testing::TestWithParam<std::tuple<Card, Handling>> {};

TEST_P(ReadCard, ReadsTypeBatchCodeAndMarks) {
    const auto& [card, handling] = GetParam();
    TempFolder folder;
    const auto file = folder.File("sheet.tif");
    sheet_files::Make(Join(card.args, handling.args), file);

    BallotMarks marks = UsedRecord();
    ASSERT_EQ(ReadBallotMarks(file.c_str(), &marks), 0);
    EXPECT_EQ(marks.CardType, card.cardType);
    EXPECT_EQ(marks.BatchNumber, card.batch);
    EXPECT_STREQ(marks.CardCode, card.code);
    std::uint8_t expected[604] = {};
    for (const int bubble : card.marks) {
        expected[bubble - 1] = 1;
    }
    EXPECT_EQ(std::memcmp(marks.MarkData, expected, sizeof expected), 0);
    EXPECT_EQ(marks.MarkCount, card.marks.size());
    const bool ballot = card.cardType < -6 || card.cardType > -1;
    if (ballot) {
        EXPECT_NEAR(marks.SkewTenths, handling.skew * 10, 3);
    } else {
        EXPECT_EQ(marks.SkewTenths, 0);
    }
    EXPECT_EQ(std::string(marks.Reserved, 32), std::string(32, '\0'));
}

INSTANTIATE_TEST_SUITE_P(Sheets, ReadCard,
                         testing::Combine(testing::ValuesIn(kCards), testing::ValuesIn(kHandlings)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) + "_" +
                                    std::get<1>(info.param).name;
                         });

// Sheets that are read but are no card: the code and its class.
struct Unreadable {
    const char* name;
    std::vector<std::string> args;
    std::int16_t code;
};

bool Discarded(std::int16_t code) {
    return code == 10 || code == 20 || code == 30 || code == 40;
}

const Unreadable kUnreadable[] = {
    {"blank", {"blank"}, 10},
    {"blank_speckled", {"blank", "--noise", "5"}, 10},
    {"blank_speckled_skewed", {"blank", "--noise", "6", "--skew", "2"}, 10},
    {"code_covered_in_ink", {"header", "--type", "-5", "--blot", "120,120,240,240"}, 201},
    {"printed_without_code", {"blank", "--blot", "700,900,300,300"}, 201},
    {"foreign_code", {"code", "--text", "HELLO"}, 203},
    {"batch_zero", {"code", "--text", "LH1:-6:0"}, 203},
    {"batch_1000", {"code", "--text", "LH1:-4:1000"}, 203},
    {"batch_missing", {"code", "--text", "LH1:-6"}, 203},
    {"batch_on_type_minus5", {"code", "--text", "LH1:-5:7"}, 203},
    {"type_minus3", {"code", "--text", "LH1:-3"}, 203},
    {"type_minus2", {"code", "--text", "LH1:-2"}, 203},
    {"ballot_without_grid", {"code", "--text", "LH1:1"}, 301},
    {"ballot_fiducial_buried", {"ballot", "--blot", "1400,420,200,200"}, 301},
};

class ReadUnreadable : public testing::TestWithParam<Unreadable> {};

TEST_P(ReadUnreadable, GivesItsCode) {
    TempFolder folder;
    const auto file = folder.File("sheet.tif");
    sheet_files::Make(GetParam().args, file);
    BallotMarks marks = UsedRecord();
    const auto code = ReadBallotMarks(file.c_str(), &marks);
    EXPECT_EQ(code, GetParam().code);
    // Only a blank sheet may be discarded; anything printed goes to repair.
    EXPECT_EQ(Discarded(code), GetParam().args[0] == "blank" && GetParam().code == 10);
    EXPECT_EQ(marks.CardType, 0);
    EXPECT_EQ(marks.MarkData[0], 0);
}

INSTANTIATE_TEST_SUITE_P(Sheets, ReadUnreadable, testing::ValuesIn(kUnreadable),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ReadFile, MissingFileCannotBeOpened) {
    TempFolder folder;
    BallotMarks marks{};
    EXPECT_EQ(ReadBallotMarks(folder.File("absent.tif").c_str(), &marks), 101);
}

TEST(ReadFile, TextFileCannotBeOpened) {
    TempFolder folder;
    const auto file = folder.File("note.tif");
    std::ofstream(file) << "not an image\n";
    BallotMarks marks{};
    EXPECT_EQ(ReadBallotMarks(file.c_str(), &marks), 101);
}

TEST(ReadFile, FolderCannotBeOpened) {
    TempFolder folder;
    BallotMarks marks{};
    EXPECT_EQ(ReadBallotMarks(folder.File("").c_str(), &marks), 101);
}

TEST(ReadFile, ScrambledImageDataIsDamaged) {
    TempFolder folder;
    const auto file = folder.File("sheet.tif");
    sheet_files::Make({"ballot", "--marks", "3", "--noise", "2"}, file);
    // The image data lies between the 8-byte header and the directory written after it; a run
    // of zero bits is no Group 4 code.
    std::fstream stream(file, std::ios::in | std::ios::out | std::ios::binary);
    const auto size = std::filesystem::file_size(file);
    stream.seekp(static_cast<std::streamoff>(size / 3));
    for (std::uintmax_t i = 0; i < size / 3; ++i) {
        stream.put(0);
    }
    stream.close();
    BallotMarks marks{};
    EXPECT_EQ(ReadBallotMarks(file.c_str(), &marks), 102);
}

TEST(ReadFile, TruncatedFileIsForRepair) {
    TempFolder folder;
    const auto file = folder.File("sheet.tif");
    sheet_files::Make({"header", "--type", "-6", "--batch", "3", "--noise", "4"}, file);
    std::filesystem::resize_file(file, std::filesystem::file_size(file) / 2);
    BallotMarks marks{};
    const auto code = ReadBallotMarks(file.c_str(), &marks);
    EXPECT_TRUE(code == 101 || code == 102) << code;
}

TEST(ReadFile, NoPathOrNoRecord) {
    BallotMarks marks{};
    EXPECT_EQ(ReadBallotMarks(nullptr, &marks), 100);
    EXPECT_EQ(ReadBallotMarks("x.tif", nullptr), 100);
}

TEST(ReadFile, GreyScanIsRead) {
    TempFolder folder;
    const auto file = folder.File("grey.tif");
    sheet_files::WriteGrey(sheet_files::Draw({"ballot", "--marks", "7,77", "--skew", "-1"}), file);
    BallotMarks marks{};
    ASSERT_EQ(ReadBallotMarks(file.c_str(), &marks), 0);
    EXPECT_EQ(marks.CardType, 1);
    EXPECT_EQ(marks.MarkCount, 2);
    EXPECT_EQ(marks.MarkData[6], 1);
    EXPECT_EQ(marks.MarkData[76], 1);
}

TEST(ReadFile, Scan300DpiIsRead) {
    TempFolder folder;
    const auto file = folder.File("fine.tif");
    sheet_files::Write300Dpi(sheet_files::Draw({"ballot", "--marks", "33", "--skew", "2"}), file);
    BallotMarks marks{};
    ASSERT_EQ(ReadBallotMarks(file.c_str(), &marks), 0);
    EXPECT_EQ(marks.MarkCount, 1);
    EXPECT_EQ(marks.MarkData[32], 1);
    EXPECT_NEAR(marks.SkewTenths, 20, 3);
}

TEST(ReadFile, BallotOnTheBackOfABlankFrontIsRead) {
    TempFolder folder;
    const auto file = folder.File("duplex.tif");
    ASSERT_TRUE(lhdll::WriteTiff(file, {sheet_files::Draw({"blank", "--noise", "1"}),
                                        sheet_files::Draw({"ballot", "--marks", "4"})}));
    BallotMarks marks{};
    ASSERT_EQ(ReadBallotMarks(file.c_str(), &marks), 0);
    EXPECT_EQ(marks.CardType, 1);
    EXPECT_EQ(marks.MarkData[3], 1);
}

TEST(ReadFile, SheetBlankOnBothSidesIsBlank) {
    TempFolder folder;
    const auto file = folder.File("duplex.tif");
    ASSERT_TRUE(lhdll::WriteTiff(file, {sheet_files::Draw({"blank", "--noise", "1"}),
                                        sheet_files::Draw({"blank", "--noise", "2"})}));
    BallotMarks marks{};
    EXPECT_EQ(ReadBallotMarks(file.c_str(), &marks), 10);
}

TEST(ReadFile, BlackIsZeroScansAreRead) {
    // Such files keep 0 in the bits past the right edge, which are no black pixels.
    TempFolder folder;
    const auto ballot = folder.File("ballot.tif");
    const auto blank = folder.File("blank.tif");
    sheet_files::WriteBlackIsZero(sheet_files::Draw({"ballot", "--marks", "12", "--skew", "1"}),
                                  ballot);
    sheet_files::WriteBlackIsZero(sheet_files::Draw({"blank", "--noise", "4"}), blank);
    BallotMarks marks{};
    ASSERT_EQ(ReadBallotMarks(ballot.c_str(), &marks), 0);
    EXPECT_EQ(marks.MarkCount, 1);
    EXPECT_EQ(marks.MarkData[11], 1);
    EXPECT_EQ(ReadBallotMarks(blank.c_str(), &marks), 10);
}

TEST(ReadFile, PageSmallerThanTheCodeCornerIsReadWithinItsBounds) {
    // 96 pixels a side: the searched corner is the whole page, its rows end with whole bytes.
    TempFolder folder;
    const auto file = folder.File("small.tif");
    lhdll::Bitmap page;
    page.Reset(96, 96);
    for (int y = 8; y < 88; ++y) {
        for (int x = 8; x < 88; ++x) {
            page.Set(x, y, true);
        }
    }
    sheet_files::WriteBlackIsZero(page, file);
    ClearImageBuffer();  // the page gets a buffer of its own size
    BallotMarks marks{};
    EXPECT_EQ(ReadBallotMarks(file.c_str(), &marks), 201);
}

TEST(ClearImageBuffer, ReadsGoOnAfterwards) {
    TempFolder folder;
    const auto file = folder.File("ender.tif");
    sheet_files::Make({"ender"}, file);
    BallotMarks marks{};
    ClearImageBuffer();
    ASSERT_EQ(ReadBallotMarks(file.c_str(), &marks), 0);
    ClearImageBuffer();
    ClearImageBuffer();
    marks = UsedRecord();
    ASSERT_EQ(ReadBallotMarks(file.c_str(), &marks), 0);
    EXPECT_EQ(marks.CardType, -1);
}

}  // namespace
