// Operator identifiers with single quotes: O'Brien works, and an identifier crafted to
// end the quoted text early is stored as it is, changing nothing else.

#include <gtest/gtest.h>

#include "database/LHDataAbstraction.h"
#include "support/OperationTestSupport.h"
#include "support/TestDataSource.h"

namespace {

// Each would, if its quotes were not doubled, add a row of another station, change
// every station's row, or delete every batch.
const char* const kCraftedIdentifiers[] = {
    "O'Brien",
    "x'), (13, '2026-12-06', 4, 'mallory",
    "x','ONLINE','IDLE'),(4,9,'mallory",
    "m', STATUS = 'X' WHERE 1 = 1 -- ",
    "x'); DELETE FROM Batches; --",
    "''",
};

class QuotedText : public testing::TestWithParam<std::tuple<const char*, const char*>> {
  protected:
    void SetUp() override {
        source_ = MakeDataSource(QString::fromLatin1(std::get<0>(GetParam())));
        userId_ = QString::fromLatin1(std::get<1>(GetParam()));
        // Another station's batch and status row, which must stay as they are.
        AddBatch(*source_, 4, 12, true);
        ExecuteOn(*source_,
                  "INSERT INTO SystemStatus(SYSTEMID,SYSTEMTYPE,USERID,STATUS,CURRENTTASK) "
                  "VALUES (4,1,'other','ONLINE','SCANNING')");
    }

    void ExpectOtherStationUntouched() const {
        EXPECT_EQ(FirstRow(*source_, {"Count(*) AS c", "Min(UserID) AS u"},
                           "FROM Batches WHERE SystemID <> 3"),
                  QStringList({"1", "setup"}));
        EXPECT_EQ(FirstRow(*source_, {"Count(*) AS c", "Min(STATUS) AS s"},
                           "FROM SystemStatus WHERE SYSTEMID <> 3"),
                  QStringList({"1", "ONLINE"}));
    }

    QString Connect() const { return source_->ConnectString(); }

    std::unique_ptr<TestDataSource> source_;
    QString userId_;
};

TEST_P(QuotedText, CreateBatchStoresTheIdentifierAsItIs) {
    CreateBatch(Connect(), 12, 3, userId_);
    EXPECT_EQ(FirstRow(*source_, {"Count(*) AS c", "Min(UserID) AS u"},
                       "FROM Batches WHERE SystemID = 3"),
              QStringList({"1", userId_}));
    ExpectOtherStationUntouched();
}

TEST_P(QuotedText, AddStationStatusStoresTheIdentifierAsItIs) {
    EXPECT_TRUE(AddStationStatus(Connect(), 3, 1, userId_, QStringLiteral("ONLINE"),
                                 QStringLiteral("STANDING BY")));
    EXPECT_EQ(FirstRow(*source_, {"Count(*) AS c", "Min(USERID) AS u", "Min(STATUS) AS s"},
                       "FROM SystemStatus WHERE SYSTEMID = 3"),
              QStringList({"1", userId_, "ONLINE"}));
    ExpectOtherStationUntouched();
}

TEST_P(QuotedText, UpdateStationStatusStoresTheIdentifierAsItIs) {
    ExecuteOn(*source_,
              "INSERT INTO SystemStatus(SYSTEMID,SYSTEMTYPE,USERID,STATUS,CURRENTTASK) "
              "VALUES (3,1,'before','ONLINE','STANDING BY')");
    UpdateStationStatus(Connect(), 3, userId_, QStringLiteral("ONLINE"),
                        QStringLiteral("SCANNING"));
    EXPECT_EQ(FirstRow(*source_, {"Count(*) AS c", "Min(USERID) AS u", "Min(CURRENTTASK) AS t"},
                       "FROM SystemStatus WHERE SYSTEMID = 3"),
              QStringList({"1", userId_, "SCANNING"}));
    ExpectOtherStationUntouched();
}

INSTANTIATE_TEST_SUITE_P(Identifiers, QuotedText,
                         testing::Combine(testing::Values("SQLite", "MariaDB"),
                                          testing::ValuesIn(kCraftedIdentifiers)));

}  // namespace
