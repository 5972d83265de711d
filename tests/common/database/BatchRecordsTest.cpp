#include <gtest/gtest.h>

#include "database/LHDataAbstraction.h"
#include "support/OperationTestSupport.h"
#include "support/TestDataSource.h"

namespace {

class BatchRecords : public testing::TestWithParam<const char*> {
  protected:
    void SetUp() override { source_ = MakeDataSource(QString::fromLatin1(GetParam())); }

    QString Connect() const { return source_->ConnectString(); }
    QString Query(const char* sql) const { return QueryOn(*source_, QString::fromLatin1(sql)); }

    std::unique_ptr<TestDataSource> source_;
};

TEST_P(BatchRecords, BatchExistsOnlyForThisStationsNumbers) {
    AddBatch(*source_, 3, 12, false);
    AddBatch(*source_, 4, 13, true);
    EXPECT_TRUE(BatchExists(Connect(), 3, 12));
    EXPECT_FALSE(BatchExists(Connect(), 3, 13));
    EXPECT_TRUE(BatchExists(Connect(), 4, 13));
    EXPECT_FALSE(BatchExists(Connect(), 3, 14));
}

struct NextNumberCase {
    std::vector<int> batchesOfStation3;
    qint16 expected;
};

TEST_P(BatchRecords, NextBatchNumberFollowsThisStationsHighest) {
    // Station 4's batches are higher than any of station 3's and must not count.
    const NextNumberCase cases[] = {
        {{}, 1}, {{3, 41, 7}, 42}, {{32767}, -1}, {{32766, 5}, 32767}, {{-7}, -6}, {{-1}, 0}};
    for (const NextNumberCase& c : cases) {
        ExecuteOn(*source_, "DELETE FROM Batches");
        AddBatch(*source_, 4, 500, false);
        for (int batch : c.batchesOfStation3) {
            AddBatch(*source_, 3, batch, false);
        }
        EXPECT_EQ(GetNextBatchNumber(Connect(), 3), c.expected)
            << "highest of " << c.batchesOfStation3.size() << " batches";
    }
}

TEST_P(BatchRecords, CreateBatchWritesAnOpenBatchRow) {
    const FixedClock clock(December6At("05:22:53"));
    CreateBatch(Connect(), 12, 3, QStringLiteral("jsmith"));
    EXPECT_EQ(Query("SELECT UserID AS v FROM Batches WHERE SystemID = 3 AND BatchNo = 12 AND "
                    "StartTime = '2026-12-06 05:22:53' AND EndTime IS NULL AND ImageCount IS "
                    "NULL"),
              "jsmith");
    EXPECT_EQ(Query("SELECT Count(*) AS v FROM Batches"), "1");
}

TEST_P(BatchRecords, CreateBatchForAUsedNumberKeepsTheFirstRowAndReportsNothing) {
    AddBatch(*source_, 3, 12, false);
    CreateBatch(Connect(), 12, 3, QStringLiteral("jsmith"));
    EXPECT_EQ(Query("SELECT UserID AS v FROM Batches WHERE SystemID = 3 AND BatchNo = 12"),
              "setup");
    EXPECT_EQ(Query("SELECT Count(*) AS v FROM Batches"), "1");
}

TEST_P(BatchRecords, CloseBatchWritesCountsAndEndTimeOfThatBatchOnly) {
    AddBatch(*source_, 3, 12, true);
    AddBatch(*source_, 4, 12, true);
    const FixedClock clock(December6At("05:40:07"));
    CloseBatch(Connect(), 3, 12, 118, 115);
    EXPECT_EQ(Query("SELECT Count(*) AS v FROM Batches WHERE SystemID = 3 AND BatchNo = 12 AND "
                    "ImageCount = 118 AND BallotCount = 115 AND EndTime = '2026-12-06 05:40:07'"),
              "1");
    EXPECT_EQ(Query("SELECT Count(*) AS v FROM Batches WHERE SystemID = 4 AND EndTime IS NULL "
                    "AND ImageCount IS NULL"),
              "1");
}

TEST_P(BatchRecords, CloseBatchWithoutItsRowChangesNothing) {
    AddBatch(*source_, 3, 11, true);
    CloseBatch(Connect(), 3, 12, 118, 115);
    EXPECT_EQ(Query("SELECT Count(*) AS v FROM Batches WHERE EndTime IS NULL AND ImageCount IS "
                    "NULL"),
              "1");
    EXPECT_EQ(Query("SELECT Count(*) AS v FROM Batches"), "1");
}

TEST_P(BatchRecords, DeleteBatchRemovesItsRowAndImagesOnly) {
    AddBatch(*source_, 3, 12, false);
    AddBatch(*source_, 4, 12, false);
    AddImages(*source_, {{3, 12, "1", 0}, {3, 12, "2", 0}, {4, 12, "3", 0}, {3, 11, "4", 0}});
    DeleteBatch(Connect(), 3, 12);
    EXPECT_EQ(Query("SELECT Count(*) AS v FROM Batches WHERE SystemID = 3"), "0");
    EXPECT_EQ(Query("SELECT Count(*) AS v FROM Batches WHERE SystemID = 4"), "1");
    EXPECT_EQ(Query("SELECT Count(*) AS v FROM BallotImages WHERE SystemID = 3 AND BatchNo = 12"),
              "0");
    EXPECT_EQ(Query("SELECT Count(*) AS v FROM BallotImages"), "2");
}

TEST_P(BatchRecords, DeleteBatchWithoutABatchRowStillRemovesThisStationsImages) {
    AddBatch(*source_, 4, 12, false);
    AddImages(*source_, {{3, 12, "1", 0}, {3, 12, "NULL", 9}, {4, 12, "3", 0}});
    DeleteBatch(Connect(), 3, 12);
    EXPECT_EQ(Query("SELECT Count(*) AS v FROM BallotImages WHERE SystemID = 3"), "0");
    EXPECT_EQ(Query("SELECT Count(*) AS v FROM BallotImages WHERE SystemID = 4"), "1");
    EXPECT_EQ(Query("SELECT Count(*) AS v FROM Batches"), "1");
}

// Station 3 has open batch 5 and closed batch 4; station 4 has closed batch 5 and open
// batch 6.
TEST_P(BatchRecords, DeleteOpenBatchesTouchesOnlyThisStationsOpenBatches) {
    AddBatch(*source_, 3, 5, true);
    AddBatch(*source_, 3, 4, false);
    AddBatch(*source_, 4, 5, false);
    AddBatch(*source_, 4, 6, true);
    AddImages(*source_, {{3, 5, "1", 0},
                         {3, 5, "NULL", 9},
                         {3, 4, "3", 0},
                         {4, 5, "4", 0},
                         {4, 5, "5", 0},
                         {4, 6, "6", 0},
                         {3, 6, "7", 0}});
    EXPECT_EQ(DeleteOpenBatches(Connect(), 3), 1);
    EXPECT_EQ(Query("SELECT Count(*) AS v FROM Batches WHERE SystemID = 3 AND BatchNo = 5"), "0");
    EXPECT_EQ(Query("SELECT Count(*) AS v FROM Batches"), "3");
    EXPECT_EQ(Query("SELECT Count(*) AS v FROM BallotImages WHERE SystemID = 3 AND BatchNo = 5"),
              "0");
    EXPECT_EQ(Query("SELECT Count(*) AS v FROM BallotImages WHERE SystemID = 4 AND BatchNo = 5"),
              "2");
    EXPECT_EQ(Query("SELECT Count(*) AS v FROM BallotImages"), "5");
}

INSTANTIATE_TEST_SUITE_P(Databases, BatchRecords, testing::Values("SQLite", "MariaDB"));

}  // namespace
