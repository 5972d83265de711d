#include <gtest/gtest.h>

#include "database/ConnectString.h"
#include "database/SQLUtilities.h"
#include "database/SqlDateTime.h"
#include "database/SqliteJoinedDelete.h"

namespace {

struct TextCase {
    const char* input;
    const char* expected;
};

class QuoteSqlTextCases : public testing::TestWithParam<TextCase> {};

TEST_P(QuoteSqlTextCases, DoublesQuotesAndTrimsBlanks) {
    EXPECT_EQ(QuoteSqlText(QString::fromUtf8(GetParam().input)).toStdString(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Table, QuoteSqlTextCases,
                         testing::Values(TextCase{"O'Brien", "O''Brien"}, TextCase{"  ab  ", "ab"},
                                         TextCase{"''", "''''"}, TextCase{"", ""},
                                         TextCase{"\tab\t", "\tab\t"}, TextCase{" \tab ", "\tab"},
                                         TextCase{"   ", ""}, TextCase{" ' ", "''"},
                                         TextCase{"x' OR '1'='1", "x'' OR ''1''=''1"},
                                         TextCase{"Zoë", "Zoë"}));

struct ConnectCase {
    const char* text;
    const char* databaseName;
    const char* user;
    const char* password;
};

class ConnectStrings : public testing::TestWithParam<ConnectCase> {};

TEST_P(ConnectStrings, AreTakenApartForQt) {
    const ConnectString parts = ParseConnectString(QString::fromUtf8(GetParam().text));
    EXPECT_EQ(parts.databaseName.toStdString(), GetParam().databaseName);
    EXPECT_EQ(parts.userName.toStdString(), GetParam().user);
    EXPECT_EQ(parts.password.toStdString(), GetParam().password);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ConnectStrings,
    testing::Values(ConnectCase{"DSN=Lindhollow;", "Lindhollow", "", ""},
                    ConnectCase{"DSN=Lindhollow", "Lindhollow", "", ""},
                    ConnectCase{"Lindhollow", "Lindhollow", "", ""},
                    ConnectCase{"dsn=Centre;uid=scan;pwd=s3cret;", "Centre", "scan", "s3cret"},
                    ConnectCase{"DSN=Centre;OPTION=2;UID=scan", "Centre;OPTION=2", "scan", ""},
                    ConnectCase{"DSN=Centre;PWD={a;b}", "Centre", "", "{a;b}"},
                    ConnectCase{"DRIVER=SQLite3;Database=/tmp/x.db;",
                                "DRIVER=SQLite3;Database=/tmp/x.db", "", ""},
                    ConnectCase{"Driver={MariaDB Unicode};SERVER=h;UID=u;PWD=p",
                                "Driver={MariaDB Unicode};SERVER=h", "u", "p"},
                    ConnectCase{"", "", "", ""}));

TEST(SqliteJoinedDelete, RewritesTheJoinedDeleteOfOpenBatchImages) {
    EXPECT_EQ(
        AdaptJoinedDeleteForSqlite(
            "DELETE BallotImages FROM BallotImages INNER JOIN Batches ON BallotImages.BatchNo = "
            "Batches.BatchNo AND BallotImages.SystemID = Batches.SystemID WHERE Batches.SystemID "
            "= 3 AND Batches.EndTime IS NULL")
            .toStdString(),
        "DELETE FROM BallotImages WHERE EXISTS (SELECT 1 FROM Batches WHERE "
        "(BallotImages.BatchNo = Batches.BatchNo AND BallotImages.SystemID = Batches.SystemID) "
        "AND (Batches.SystemID = 3 AND Batches.EndTime IS NULL))");
}

TEST(SqliteJoinedDelete, LeavesEveryOtherStatementAsBuilt) {
    for (const char* statement : {
             "DELETE FROM Batches WHERE SystemID = 3 AND EndTime IS NULL",
             "DELETE FROM BallotImages WHERE SystemID = 3 AND BatchNo = 12",
             "SELECT BatchNo from Batches WHERE BatchNo = 12 AND SystemID = 3",
             "UPDATE Batches SET ImageCount = 1 WHERE BatchNo = 12 AND SystemID = 3",
             // Deleting from a table other than the one joined from is not the shape.
             "DELETE Batches FROM BallotImages INNER JOIN Batches ON A = B WHERE C = 1",
             "INSERT INTO Users(UserID) VALUES ('DELETE x FROM x INNER JOIN y ON a WHERE b')",
         }) {
        EXPECT_EQ(AdaptJoinedDeleteForSqlite(statement).toStdString(), statement);
    }
}

TEST(SqlDateTime, IsIsoWithTheDateAloneAtMidnight) {
    const QDate date(2026, 12, 6);
    EXPECT_EQ(SqlDateTimeText(QDateTime(date, QTime(5, 22, 53))).toStdString(),
              "2026-12-06 05:22:53");
    EXPECT_EQ(SqlDateTimeText(QDateTime(date, QTime(0, 0, 0))).toStdString(), "2026-12-06");
    EXPECT_EQ(SqlDateTimeText(QDateTime(date, QTime(0, 0, 1))).toStdString(),
              "2026-12-06 00:00:01");
    EXPECT_EQ(SqlDateTimeText(QDateTime(date, QTime(23, 59, 59))).toStdString(),
              "2026-12-06 23:59:59");
}

}  // namespace
