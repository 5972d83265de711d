// lhdll-make-sheet as the demo and the station's tests run it.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "lhdll/LHDLL.h"
#include "support/TempFolder.h"

namespace {

int RunTool(const std::string& arguments) {
    const std::string command = std::string(MAKE_SHEET_TOOL) + " " + arguments + " 2>/dev/null";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(MakeSheetCommand, WritesAHeaderCardTheLibraryReads) {
    TempFolder folder;
    const auto file = folder.File("h.tif");
    ASSERT_EQ(RunTool("header --type -6 --batch 7 --skew 3 --noise 1 " + file), 0);
    BallotMarks marks{};
    ASSERT_EQ(ReadBallotMarks(file.c_str(), &marks), 0);
    EXPECT_EQ(marks.CardType, -6);
    EXPECT_EQ(marks.BatchNumber, 7);
}

TEST(MakeSheetCommand, WritesABallotWithItsMarks) {
    TempFolder folder;
    const auto file = folder.File("b.tif");
    ASSERT_EQ(RunTool("ballot --marks 1,5,9 " + file), 0);
    BallotMarks marks{};
    ASSERT_EQ(ReadBallotMarks(file.c_str(), &marks), 0);
    EXPECT_EQ(marks.MarkCount, 3);
    EXPECT_EQ(marks.MarkData[8], 1);
}

TEST(MakeSheetCommand, WrongArgumentsWriteNothing) {
    TempFolder folder;
    const auto file = folder.File("x.tif");
    EXPECT_EQ(RunTool("header --type -6 " + file), 2);
    EXPECT_FALSE(std::filesystem::exists(file));
}

TEST(MakeSheetCommand, UnwritableFileFails) {
    TempFolder folder;
    EXPECT_EQ(RunTool("ender " + folder.File("absent/e.tif")), 1);
}

TEST(MakeSheetCommand, HelpSucceeds) {
    EXPECT_EQ(RunTool("--help >/dev/null"), 0);
}

}  // namespace
