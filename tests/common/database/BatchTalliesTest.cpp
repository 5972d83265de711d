#include <gtest/gtest.h>

#include "database/LHDataAbstraction.h"
#include "support/OperationCalls.h"
#include "support/OperationTestSupport.h"
#include "support/TestDataSource.h"

namespace {

class BatchTallies : public testing::TestWithParam<const char*> {
  protected:
    void SetUp() override { source_ = MakeDataSource(QString::fromLatin1(GetParam())); }

    QString Connect() const { return source_->ConnectString(); }

    std::unique_ptr<TestDataSource> source_;
};

TEST_P(BatchTallies, ExampleBatchGetsItsNineCounts) {
    AddBatch(*source_, 3, 12, true);
    AddImages(*source_, ExampleBatchImages());
    UpdateBatchTallies(Connect(), 3, 12);
    EXPECT_EQ(TalliesOf(*source_, 3, 12),
              QStringList({"110", "3", "2", "4", "0", "1", "0", "0", "4"}));
}

TEST_P(BatchTallies, BatchWithoutImagesGetsNineZeros) {
    AddBatch(*source_, 3, 12, true);
    UpdateBatchTallies(Connect(), 3, 12);
    EXPECT_EQ(TalliesOf(*source_, 3, 12), QStringList(9, QStringLiteral("0")));
}

// One row per tally that counts, then rows that must count nowhere.
TEST_P(BatchTallies, CountsOnlyThisBatchsImagesWithASerialByStatusAndFlag) {
    AddBatch(*source_, 3, 12, true);
    AddBatch(*source_, 4, 12, true);
    AddImages(*source_, {
                            {3, 12, "1", 7, 1, 0, 0, 0},  // accepted, with write-ins
                            {3, 12, "2", 7},
                            {3, 12, "3", 8, 0, 1, 0, 0},  // rejected, repaired
                            {3, 12, "4", 2, 0, 0, 1, 1},  // deleted, duplicated, write-in checked
                            {3, 12, "20", 2},
                            {3, 12, "5", 1},
                            {3, 12, "6", 1},
                            {3, 12, "7", 5, 1, 1, 1, 1},  // waiting for duplication, every flag
                            // Without a serial: counted nowhere, whatever its status and flags.
                            {3, 12, "NULL", 7, 1, 1, 1, 1},
                            {3, 12, "NULL", 8},
                            // Codes that are never tallied; their flags still count.
                            {3, 12, "8", 0},
                            {3, 12, "9", 3},
                            {3, 12, "10", 4},
                            {3, 12, "11", 6},
                            {3, 12, "12", 9},
                            {3, 12, "13", 10, 0, 0, 0, 1},
                            {3, 12, "14", 100},
                            {3, 12, "15", 110},
                            // A flag holding something other than 1 is not set.
                            {3, 12, "16", 0, 2, 2, 2, 2},
                            // Another station's batch 12 and another batch of station 3.
                            {4, 12, "17", 7, 1, 1, 1, 1},
                            {4, 12, "18", 2},
                            {3, 11, "19", 7, 1, 1, 1, 1},
                        });
    UpdateBatchTallies(Connect(), 3, 12);
    EXPECT_EQ(TalliesOf(*source_, 3, 12),
              QStringList({"2", "1", "2", "2", "2", "1", "2", "2", "3"}));
    EXPECT_EQ(TalliesOf(*source_, 4, 12), QStringList(9, QStringLiteral("NULL")));
}

TEST_P(BatchTallies, NewCountsReplaceTheOldOnes) {
    AddBatch(*source_, 3, 12, true);
    ExecuteOn(*source_,
              "UPDATE Batches SET ACCEPTED = 50, REJECTED = 50, DELETED = 50, "
              "HAVEWRITEINS = 50, WAITINGREPAIR = 50, WAITINGDUPE = 50, "
              "HAVEBEENREPAIRED = 50, HAVEBEENDUPED = 50, WRITEINSCHECK = 50");
    AddImages(*source_, {{3, 12, "1", 8}});
    UpdateBatchTallies(Connect(), 3, 12);
    EXPECT_EQ(TalliesOf(*source_, 3, 12),
              QStringList({"0", "1", "0", "0", "0", "0", "0", "0", "0"}));
}

TEST_P(BatchTallies, BatchWithoutItsRowChangesNothing) {
    AddBatch(*source_, 3, 11, true);
    AddImages(*source_, {{3, 12, "1", 7}});
    UpdateBatchTallies(Connect(), 3, 12);
    EXPECT_EQ(QueryOn(*source_, "SELECT Count(*) AS v FROM Batches"), "1");
    EXPECT_EQ(TalliesOf(*source_, 3, 11), QStringList(9, QStringLiteral("NULL")));
}

INSTANTIATE_TEST_SUITE_P(Databases, BatchTallies, testing::Values("SQLite", "MariaDB"));

}  // namespace
