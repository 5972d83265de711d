// The audit that the soak and the cluster tests pass their verdicts on finds each kind of fault.

#include <gtest/gtest.h>

#include "CentreAudit.h"
#include "TestDataSource.h"

namespace {

struct Fault {
    const char* name;
    const char* statement;  // what goes wrong in a database that holds just what was closed
    int once, twice, crossed, missing, extra, batchRowsWrong, statusRowsWrong;
};

constexpr Fault kFaults[] = {
    {"none", "", 4, 0, 0, 0, 0, 0, 0},
    {"storedTwice",
     "INSERT INTO BallotImages(SystemID,BatchNo,ImageSeq,BallotSN,Status,Error) "
     "VALUES (1,1,1,100100001,0,0)",
     3, 1, 0, 0, 1, 0, 0},
    {"inAnotherStationsBatch", "UPDATE BallotImages SET SystemID = 2 WHERE ImageSeq = 2", 3, 0, 1,
     1, 1, 0, 0},
    {"missing", "DELETE FROM BallotImages WHERE ImageSeq = 3", 3, 0, 0, 1, 0, 0, 0},
    {"lostBatchImagesLeftOver",
     "INSERT INTO BallotImages(SystemID,BatchNo,ImageSeq,BallotSN,Status,Error) "
     "VALUES (1,2,0,100200000,9,0)",
     4, 0, 0, 0, 1, 0, 0},
    {"lostBatchRowLeftOver",
     "INSERT INTO Batches(SystemID,BatchNo,StartTime) VALUES (1,2,'2026-12-07 10:00:00')", 4, 0, 0,
     0, 0, 1, 0},
    {"closedBatchStillOpen", "UPDATE Batches SET EndTime = NULL", 4, 0, 0, 0, 0, 2, 0},
    {"closedBatchDeleted", "UPDATE Batches SET DELETED = 1", 4, 0, 0, 0, 0, 2, 0},
    {"batchWaitingForRepair", "UPDATE Batches SET WAITINGREPAIR = 1", 4, 0, 0, 0, 0, 2, 0},
    {"secondStatusRow",
     "INSERT INTO SystemStatus(SYSTEMID,STATUS,CURRENTTASK) VALUES (1,'ONLINE','STANDING BY')", 4,
     0, 0, 0, 0, 0, 1},
    {"statusLeftOnline", "UPDATE SystemStatus SET STATUS = 'ONLINE'", 4, 0, 0, 0, 0, 0, 2},
};

class CentreAuditFinds : public testing::TestWithParam<Fault> {};

// Station 1 has closed batch 1 of two ballots: header card, two ballots, ender card.
TEST_P(CentreAuditFinds, TheFault) {
    const Fault& fault = GetParam();
    const auto source = MakeSqliteDataSource();
    ExecuteOn(*source,
              "INSERT INTO Batches(SystemID,BatchNo,StartTime,EndTime,ImageCount,BallotCount,"
              "DELETED,WAITINGREPAIR) VALUES (1,1,'2026-12-07 09:00:00','2026-12-07 09:05:00',4,"
              "2,0,0)");
    ExecuteOn(*source,
              "INSERT INTO BallotImages(SystemID,BatchNo,ImageSeq,BallotSN,Status,Error) VALUES "
              "(1,1,0,100100000,9,0),(1,1,1,100100001,0,0),(1,1,2,100100002,0,0),"
              "(1,1,3,100100003,10,0)");
    ExecuteOn(*source,
              "INSERT INTO SystemStatus(SYSTEMID,STATUS,CURRENTTASK) VALUES (1,'OFFLINE','IDLE')");
    if (*fault.statement != '\0') {
        ExecuteOn(*source, QString::fromLatin1(fault.statement));
    }
    const CentreAudit audit =
        AuditCentre(source->ConnectString(), {1}, 2, QStringLiteral("OFFLINE IDLE"));
    EXPECT_EQ(audit.batchesClosed, 1);
    EXPECT_EQ(audit.imagesExpected, 4);
    EXPECT_EQ(audit.imagesOnce, fault.once);
    EXPECT_EQ(audit.imagesTwice, fault.twice);
    EXPECT_EQ(audit.imagesCrossed, fault.crossed);
    EXPECT_EQ(audit.imagesMissing, fault.missing);
    EXPECT_EQ(audit.imagesExtra, fault.extra);
    EXPECT_EQ(audit.batchRowsWrong, fault.batchRowsWrong);
    EXPECT_EQ(audit.statusRowsWrong, fault.statusRowsWrong);
    EXPECT_EQ(audit.Clean(), std::string(fault.name) == "none") << audit.Summary().toStdString();
}

INSTANTIATE_TEST_SUITE_P(Faults, CentreAuditFinds, testing::ValuesIn(kFaults),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
