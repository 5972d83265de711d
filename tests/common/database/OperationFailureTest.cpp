// Failures: an unreachable data source, refused statements, and what a failure half-way
// leaves in the database.

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QThread>

#include "database/LHDataAbstraction.h"
#include "support/OperationCalls.h"
#include "support/OperationTestSupport.h"
#include "support/TestDataSource.h"

namespace {

class EveryOperationFailing : public testing::TestWithParam<std::size_t> {
  protected:
    const OperationCall& Operation() const { return EveryOperation().at(GetParam()); }
};

TEST_P(EveryOperationFailing, UnreachableDataSourceGivesTheFailureValueAndSendsNothing) {
    const StatementRecorder recorder;
    QString result;
    EXPECT_NO_THROW(result = Operation().call(UnreachableConnectString()));
    EXPECT_EQ(result, QString::fromLatin1(Operation().failureResult));
    EXPECT_TRUE(recorder.Statements().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Operations, EveryOperationFailing,
                         testing::Range(std::size_t{0}, EveryOperation().size()),
                         [](const testing::TestParamInfo<std::size_t>& info) {
                             return std::string(EveryOperation().at(info.param).name);
                         });

// The database would answer otherwise: batch 12 and station 3's status row are absent,
// so BatchExists would say false, GetNextBatchNumber 1 and AddStationStatus true; the
// status row of StationStatusExists is there.
class EveryOperationRefused : public testing::TestWithParam<std::tuple<const char*, std::size_t>> {
  protected:
    const OperationCall& Operation() const { return EveryOperation().at(std::get<1>(GetParam())); }
};

TEST_P(EveryOperationRefused, FirstStatementRefusedGivesTheFailureValueAndStopsThere) {
    const std::unique_ptr<TestDataSource> source =
        MakeDataSource(QString::fromLatin1(std::get<0>(GetParam())));
    if (Operation().name == std::string("StationStatusExists")) {
        ExecuteOn(*source, "INSERT INTO SystemStatus(SYSTEMID) VALUES (3)");
    }
    StatementRecorder recorder;
    recorder.Refuse(1);
    QString result;
    EXPECT_NO_THROW(result = Operation().call(source->ConnectString()));
    EXPECT_EQ(result, QString::fromLatin1(Operation().failureResult));
    EXPECT_EQ(recorder.Statements().size(), 1);
}

INSTANTIATE_TEST_SUITE_P(Operations, EveryOperationRefused,
                         testing::Combine(testing::Values("SQLite", "MariaDB"),
                                          testing::Range(std::size_t{0}, EveryOperation().size())),
                         [](const testing::TestParamInfo<EveryOperationRefused::ParamType>& info) {
                             return std::string(std::get<0>(info.param)) + "_" +
                                    EveryOperation().at(std::get<1>(info.param)).name;
                         });

class HalfWay : public testing::TestWithParam<const char*> {
  protected:
    void SetUp() override { source_ = MakeDataSource(QString::fromLatin1(GetParam())); }

    QString Connect() const { return source_->ConnectString(); }
    QString Query(const char* sql) const { return QueryOn(*source_, QString::fromLatin1(sql)); }

    // Station 3's batch 12 with tallies of 50 and images that would change them.
    void AddTalliedBatch() {
        AddBatch(*source_, 3, 12, true);
        ExecuteOn(*source_,
                  "UPDATE Batches SET ACCEPTED = 50, REJECTED = 50, DELETED = 50, "
                  "HAVEWRITEINS = 50, WAITINGREPAIR = 50, WAITINGDUPE = 50, "
                  "HAVEBEENREPAIRED = 50, HAVEBEENDUPED = 50, WRITEINSCHECK = 50");
        AddImages(*source_, ExampleBatchImages());
    }

    std::unique_ptr<TestDataSource> source_;
};

TEST_P(HalfWay, TalliesRefusedAtTheThirdCountKeepTheirPreviousValues) {
    AddTalliedBatch();
    StatementRecorder recorder;
    recorder.Refuse(3);
    UpdateBatchTallies(Connect(), 3, 12);
    EXPECT_EQ(recorder.Statements().size(), 3);
    EXPECT_EQ(TalliesOf(*source_, 3, 12), QStringList(9, QStringLiteral("50")));
}

// The database itself refuses the fourth count: its flag column is gone.
TEST_P(HalfWay, TalliesWhoseFourthCountTheDatabaseRejectsKeepTheirPreviousValues) {
    AddTalliedBatch();
    ExecuteOn(*source_, (source_->Kind() == u"MariaDB"
                             ? QStringLiteral("SET STATEMENT "
                                              "system_versioning_alter_history = KEEP FOR ")
                             : QString()) +
                            "ALTER TABLE BallotImages RENAME COLUMN HasWriteIns TO HadWriteIns");
    const StatementRecorder recorder;
    UpdateBatchTallies(Connect(), 3, 12);
    EXPECT_EQ(recorder.Statements().size(), 4);
    EXPECT_EQ(TalliesOf(*source_, 3, 12), QStringList(9, QStringLiteral("50")));
}

TEST_P(HalfWay, TalliesWhoseUpdateIsRejectedKeepTheirPreviousValues) {
    AddTalliedBatch();
    RefuseRowsOn(*source_, "UPDATE", "Batches");
    const StatementRecorder recorder;
    UpdateBatchTallies(Connect(), 3, 12);
    EXPECT_EQ(recorder.Statements().size(), 10);
    EXPECT_EQ(TalliesOf(*source_, 3, 12), QStringList(9, QStringLiteral("50")));
}

TEST_P(HalfWay, DeleteBatchRefusedAtItsFirstCommandDeletesNothing) {
    AddBatch(*source_, 3, 12, true);
    AddImages(*source_, {{3, 12, "1", 0}});
    StatementRecorder recorder;
    recorder.Refuse(1);
    DeleteBatch(Connect(), 3, 12);
    EXPECT_EQ(recorder.Statements().size(), 1);
    EXPECT_EQ(Query("SELECT Count(*) AS v FROM Batches"), "1");
    EXPECT_EQ(Query("SELECT Count(*) AS v FROM BallotImages"), "1");
}

TEST_P(HalfWay, DeleteBatchWhoseImagesAreKeptLeavesThemWithoutABatchRow) {
    AddBatch(*source_, 3, 12, true);
    AddImages(*source_, {{3, 12, "1", 0}, {3, 12, "2", 0}});
    RefuseRowsOn(*source_, "DELETE", "BallotImages");
    DeleteBatch(Connect(), 3, 12);
    EXPECT_EQ(Query("SELECT Count(*) AS v FROM Batches"), "0");
    EXPECT_EQ(Query("SELECT Count(*) AS v FROM BallotImages"), "2");
}

TEST_P(HalfWay, DeleteOpenBatchesWhoseImagesAreKeptDeletesNothing) {
    AddBatch(*source_, 3, 5, true);
    AddImages(*source_, {{3, 5, "1", 0}});
    RefuseRowsOn(*source_, "DELETE", "BallotImages");
    const StatementRecorder recorder;
    EXPECT_EQ(DeleteOpenBatches(Connect(), 3), -1);
    EXPECT_EQ(recorder.Statements().size(), 1);
    EXPECT_EQ(Query("SELECT Count(*) AS v FROM Batches"), "1");
    EXPECT_EQ(Query("SELECT Count(*) AS v FROM BallotImages"), "1");
}

TEST_P(HalfWay, DeleteOpenBatchesWhoseRowsAreKeptLeavesThemWithoutImagesForTheNextStart) {
    AddBatch(*source_, 3, 5, true);
    AddBatch(*source_, 3, 4, false);
    AddImages(*source_, {{3, 5, "1", 0}, {3, 4, "2", 0}});
    RefuseRowsOn(*source_, "DELETE", "Batches");
    EXPECT_EQ(DeleteOpenBatches(Connect(), 3), -1);
    EXPECT_EQ(Query("SELECT Count(*) AS v FROM Batches WHERE SystemID = 3 AND BatchNo = 5 AND "
                    "EndTime IS NULL"),
              "1");
    EXPECT_EQ(Query("SELECT Count(*) AS v FROM BallotImages WHERE BatchNo = 5"), "0");
    EXPECT_EQ(Query("SELECT Count(*) AS v FROM BallotImages WHERE BatchNo = 4"), "1");

    ExecuteOn(*source_, "DROP TRIGGER RefuseDELETEBatches");
    EXPECT_EQ(DeleteOpenBatches(Connect(), 3), 1);
    EXPECT_EQ(Query("SELECT Count(*) AS v FROM Batches"), "1");
}

TEST_P(HalfWay, RejectedCreateBatchLeavesNoRow) {
    RefuseRowsOn(*source_, "INSERT", "Batches");
    CreateBatch(Connect(), 12, 3, QStringLiteral("jsmith"));
    EXPECT_EQ(Query("SELECT Count(*) AS v FROM Batches"), "0");
}

TEST_P(HalfWay, RejectedCloseBatchLeavesTheBatchOpenUntilTheNextStartRemovesIt) {
    AddBatch(*source_, 3, 12, true);
    AddImages(*source_, {{3, 12, "1", 7}});
    RefuseRowsOn(*source_, "UPDATE", "Batches");
    CloseBatch(Connect(), 3, 12, 1, 1);
    EXPECT_EQ(Query("SELECT Count(*) AS v FROM Batches WHERE EndTime IS NULL AND ImageCount IS "
                    "NULL"),
              "1");
    DeleteOpenBatches(Connect(), 3);
    EXPECT_EQ(Query("SELECT Count(*) AS v FROM Batches"), "0");
    EXPECT_EQ(Query("SELECT Count(*) AS v FROM BallotImages"), "0");
}

TEST_P(HalfWay, RejectedStatusUpdatesLeaveTheRowAsItWas) {
    ExecuteOn(*source_,
              "INSERT INTO SystemStatus(SYSTEMID,SYSTEMTYPE,USERID,STATUS,CURRENTTASK) "
              "VALUES (3,1,'jsmith','ONLINE','SCANNING')");
    RefuseRowsOn(*source_, "UPDATE", "SystemStatus");
    UpdateStationStatus(Connect(), 3, QStringLiteral("other"), QStringLiteral("ONLINE"),
                        QStringLiteral("STANDING BY"));
    SetStationOffline(Connect(), 3);
    EXPECT_EQ(FirstRow(*source_, {"USERID", "STATUS", "CURRENTTASK"}, "FROM SystemStatus"),
              QStringList({"jsmith", "ONLINE", "SCANNING"}));
}

// The tables themselves are missing, so the database rejects every statement. Each
// answer differs from what the rows would have given.
TEST_P(HalfWay, MissingTablesGiveTheFailureValues) {
    AddBatch(*source_, 3, 12, false);
    ExecuteOn(*source_, "INSERT INTO SystemStatus(SYSTEMID) VALUES (3)");
    ExecuteOn(*source_, "ALTER TABLE Batches RENAME TO OldBatches");
    ExecuteOn(*source_, "ALTER TABLE SystemStatus RENAME TO OldSystemStatus");
    EXPECT_TRUE(BatchExists(Connect(), 3, 13));
    EXPECT_EQ(GetNextBatchNumber(Connect(), 3), -1);
    EXPECT_FALSE(StationStatusExists(Connect(), 3));
    EXPECT_FALSE(AddStationStatus(Connect(), 4, 1, QStringLiteral("jsmith"),
                                  QStringLiteral("ONLINE"), QStringLiteral("STANDING BY")));
}

INSTANTIATE_TEST_SUITE_P(Databases, HalfWay, testing::Values("SQLite", "MariaDB"));

// Every operation lets go of its connection, whether it succeeds or fails.
TEST(ConnectionRelease, EveryOperationLeavesNoConnectionOpen) {
    const std::unique_ptr<TestDataSource> source = MakeMariaDbDataSource();
    const QString others = QStringLiteral(
        "SELECT Count(*) AS v FROM information_schema.PROCESSLIST WHERE DB = DATABASE() AND "
        "ID <> CONNECTION_ID()");
    for (const OperationCall& operation : EveryOperation()) {
        for (const int refused : {0, 1}) {
            {
                StatementRecorder recorder;
                recorder.Refuse(refused);
                operation.call(source->ConnectString());
            }
            // The server notices a closed connection a moment later, and that includes the
            // counting query's own earlier connections; so the verdict is the count that
            // ended the wait, not a fresh query that could see the last one still closing.
            QElapsedTimer waited;
            waited.start();
            QString open = QueryOn(*source, others);
            while (open != u"0" && waited.elapsed() < 5000) {
                QThread::msleep(20);
                open = QueryOn(*source, others);
            }
            EXPECT_EQ(open, "0") << operation.name << (refused != 0 ? " refused" : "");
        }
    }
}

}  // namespace
