#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

#include "controls/ControlError.h"
#include "database/DatabaseError.h"
#include "scanning/ErrorText.h"
#include "scanning/LHDLLInterface.h"

namespace {

TEST(ErrorText, NumberLineBreakAndDescription) {
    EXPECT_EQ(ErrorText(ControlError(20086, QStringLiteral("No scanner"))),
              QStringLiteral("20086\r\nNo scanner"));
    EXPECT_EQ(ErrorText(LHDLLInterface::LibraryError(53, "libLHDLL.so: cannot open")),
              QStringLiteral("53\r\nlibLHDLL.so: cannot open"));
    EXPECT_EQ(ErrorText(DatabaseError(QStringLiteral("no such table: BallotImages"))),
              QStringLiteral("-2147467259\r\nno such table: BallotImages"));
    EXPECT_EQ(ErrorText(std::bad_alloc()), QStringLiteral("7\r\nOut of memory"));
    EXPECT_EQ(ErrorText(std::out_of_range("index 100001")), QStringLiteral("51\r\nindex 100001"));
}

TEST(ErrorText, FileErrorsNameThePath) {
    const std::filesystem::filesystem_error error(
        "cannot copy file", std::filesystem::path("/in/HEADER.tif"),
        std::make_error_code(std::errc::no_such_file_or_directory));
    const QString text = ErrorText(error);
    EXPECT_TRUE(text.startsWith(QStringLiteral("75\r\n"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("/in/HEADER.tif"))) << text.toStdString();
}

}  // namespace
