// The station's binding: entry points found by name, and its errors when they are not.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "scanning/LHDLLInterface.h"
#include "scanning/LibraryBinding.h"
#include "support/SheetFiles.h"
#include "support/TempFolder.h"

namespace {

LHDLLInterface::LibraryError ErrorOf(LibraryBinding& library, const char* entry) {
    try {
        library.EntryPoint(entry);
    } catch (const LHDLLInterface::LibraryError& error) {
        return error;
    }
    ADD_FAILURE() << "no error for " << entry;
    return {0, ""};
}

TEST(LibraryBinding, MissingLibraryIsErrorNamingTheFile) {
    TempFolder folder;
    const auto path = folder.File("libLHDLL.so");
    LibraryBinding library(path);
    const auto error = ErrorOf(library, "ReadBallotMarks");
    EXPECT_EQ(error.number(), LHDLLInterface::LibraryNotFound);
    EXPECT_NE(error.description().find(path), std::string::npos) << error.description();
}

TEST(LibraryBinding, MissingEntryPointIsErrorNamingIt) {
    LibraryBinding library(LIBRARY_WITHOUT_READER);
    EXPECT_NE(library.EntryPoint("ClearImageBuffer"), nullptr);
    const auto error = ErrorOf(library, "ReadBallotMarks");
    EXPECT_EQ(error.number(), LHDLLInterface::EntryPointNotFound);
    EXPECT_NE(error.description().find("ReadBallotMarks"), std::string::npos);
    EXPECT_NE(error.description().find(LIBRARY_WITHOUT_READER), std::string::npos);
}

TEST(LibraryBinding, BindsBothEntryPointsOfTheLibrary) {
    LibraryBinding library(LHDLL_LIBRARY);
    EXPECT_NE(library.EntryPoint("ClearImageBuffer"), nullptr);
    EXPECT_NE(library.EntryPoint("ReadBallotMarks"), nullptr);
}

// A bare file name, so that the program's run path finds the library.
TEST(LHDLLInterface, LibraryPathIsTheLibraryNameUnlessTheEnvironmentSaysOtherwise) {
    const char* saved = std::getenv("LINDHOLLOW_LHDLL");
    const std::string kept = saved != nullptr ? saved : "";
    unsetenv("LINDHOLLOW_LHDLL");
    EXPECT_EQ(LHDLLInterface::LibraryPath(), "libLHDLL.so");
    setenv("LINDHOLLOW_LHDLL", "/elsewhere/libLHDLL.so", 1);
    EXPECT_EQ(LHDLLInterface::LibraryPath(), "/elsewhere/libLHDLL.so");
    if (saved != nullptr) {
        setenv("LINDHOLLOW_LHDLL", kept.c_str(), 1);
    } else {
        unsetenv("LINDHOLLOW_LHDLL");
    }
}

// The station's own calls, through the path from the environment, on a header card.
TEST(LHDLLInterface, ReadsAHeaderCardThroughTheBinding) {
    setenv("LINDHOLLOW_LHDLL", LHDLL_LIBRARY, 1);
    TempFolder folder;
    const auto file = folder.File("HEADER.tif");
    sheet_files::Make({"header", "--type", "-4", "--batch", "42", "--skew", "-1"}, file);
    ORLAProtocol7TypeDefs::BallotMarks marks{};
    LHDLLInterface::ClearImageBuffer();
    ASSERT_EQ(LHDLLInterface::ReadBallotMarks(file, marks), 0);
    EXPECT_EQ(marks.CardType, -4);
    EXPECT_EQ(marks.BatchNumber, 42);
    EXPECT_NE(LHDLLInterface::ReadBallotMarks(folder.File("absent.tif"), marks), 0);
    EXPECT_EQ(std::filesystem::canonical(LHDLLInterface::LibraryFile()),
              std::filesystem::canonical(LHDLL_LIBRARY));
}

}  // namespace
