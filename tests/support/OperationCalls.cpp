#include "support/OperationCalls.h"

#include "database/LHDataAbstraction.h"
#include "support/OperationTestSupport.h"

namespace {

QString Text(bool value) {
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

}  // namespace

const std::vector<OperationCall>& EveryOperation() {
    static const std::vector<OperationCall> calls{
        {"BatchExists",
         "05:22:53",
         [](const QString& c) { return Text(BatchExists(c, 3, 12)); },
         "true",
         {"SELECT BatchNo from Batches WHERE BatchNo = 12 AND SystemID = 3"}},
        {"GetNextBatchNumber",
         "05:22:53",
         [](const QString& c) { return QString::number(GetNextBatchNumber(c, 3)); },
         "-1",
         {"SELECT BatchNo,SystemID FROM Batches WHERE SystemID = 3 ORDER BY SystemID, BatchNo "
          "DESC"}},
        {"CreateBatch",
         "05:22:53",
         [](const QString& c) {
             CreateBatch(c, 12, 3, QStringLiteral("jsmith"));
             return QString();
         },
         "",
         {"INSERT INTO Batches(BatchNo,StartTime,SystemID,UserID) VALUES (12, '2026-12-06 "
          "05:22:53', 3, 'jsmith')"}},
        {"UpdateBatchTallies",
         "05:39:58",
         [](const QString& c) {
             UpdateBatchTallies(c, 3, 12);
             return QString();
         },
         "",
         {"SELECT Count(BallotSN) as CountOfBallots FROM BallotImages WHERE Status = 7 AND "
          "SystemID = 3 AND BatchNo = 12",
          "SELECT Count(BallotSN) as CountOfBallots FROM BallotImages WHERE Status = 8 AND "
          "SystemID = 3 AND BatchNo = 12",
          "SELECT Count(BallotSN) as CountOfBallots FROM BallotImages WHERE Status = 2 AND "
          "SystemID = 3 AND BatchNo = 12",
          "SELECT Count(BallotSN) as CountOfBallots FROM BallotImages WHERE HasWriteIns = 1 AND "
          "SystemID = 3 AND BatchNo = 12",
          "SELECT Count(BallotSN) as CountOfBallots FROM BallotImages WHERE Status = 1 AND "
          "SystemID = 3 AND BatchNo = 12",
          "SELECT Count(BallotSN) as CountOfBallots FROM BallotImages WHERE Status = 5 AND "
          "SystemID = 3 AND BatchNo = 12",
          "SELECT Count(BallotSN) as CountOfBallots FROM BallotImages WHERE Repaired = 1 AND "
          "SystemID = 3 AND BatchNo = 12",
          "SELECT Count(BallotSN) as CountOfBallots FROM BallotImages WHERE Duped = 1 AND "
          "SystemID = 3 AND BatchNo = 12",
          "SELECT Count(BallotSN) as CountOfBallots FROM BallotImages WHERE WriteIn = 1 AND "
          "SystemID = 3 AND BatchNo = 12",
          "UPDATE Batches SET ACCEPTED = 110, REJECTED = 3, DELETED = 2, HAVEWRITEINS = 4, "
          "WAITINGREPAIR = 0, WAITINGDUPE = 1, HAVEBEENREPAIRED = 0, HAVEBEENDUPED = 0, "
          "WRITEINSCHECK = 4 WHERE SystemID = 3 AND BatchNo = 12"}},
        {"CloseBatch",
         "05:40:07",
         [](const QString& c) {
             CloseBatch(c, 3, 12, 118, 115);
             return QString();
         },
         "",
         {"UPDATE Batches SET ImageCount = 118, BallotCount = 115, EndTime = '2026-12-06 "
          "05:40:07' WHERE BatchNo = 12 AND SystemID = 3"}},
        {"DeleteBatch",
         "05:22:53",
         [](const QString& c) {
             DeleteBatch(c, 3, 12);
             return QString();
         },
         "",
         {"DELETE FROM Batches WHERE BatchNo = 12 AND SystemID = 3",
          "DELETE FROM BallotImages WHERE SystemID = 3 AND BatchNo = 12",
          "DELETE FROM ImageSeals WHERE SystemID = 3 AND BatchNo = 12",
          "DELETE FROM ImageFiles WHERE SystemID = 3 AND BatchNo = 12"}},
        {"DeleteOpenBatches",
         "05:22:53",
         [](const QString& c) {
             DeleteOpenBatches(c, 3);
             return QString();
         },
         "",
         {"DELETE BallotImages FROM BallotImages INNER JOIN Batches ON BallotImages.BatchNo = "
          "Batches.BatchNo AND BallotImages.SystemID = Batches.SystemID WHERE Batches.SystemID = "
          "3 AND Batches.EndTime IS NULL",
          "DELETE FROM Batches WHERE SystemID = 3 AND EndTime IS NULL",
          "DELETE FROM ImageSeals WHERE SystemID = 3 AND NOT EXISTS (SELECT 1 FROM Batches WHERE "
          "Batches.SystemID = ImageSeals.SystemID AND Batches.BatchNo = ImageSeals.BatchNo)",
          "DELETE FROM ImageFiles WHERE SystemID = 3 AND NOT EXISTS (SELECT 1 FROM Batches WHERE "
          "Batches.SystemID = ImageFiles.SystemID AND Batches.BatchNo = ImageFiles.BatchNo)"}},
        {"StationStatusExists",
         "05:22:53",
         [](const QString& c) { return Text(StationStatusExists(c, 3)); },
         "false",
         {"SELECT SystemID FROM SystemStatus WHERE SystemID = 3"}},
        {"AddStationStatus",
         "05:22:53",
         [](const QString& c) {
             return Text(AddStationStatus(c, 3, 1, QStringLiteral("jsmith"),
                                          QStringLiteral("ONLINE"), QStringLiteral("STANDING BY")));
         },
         "false",
         {"INSERT INTO SystemStatus(SYSTEMID,SYSTEMTYPE,USERID,STATUS,CURRENTTASK) VALUES "
          "(3,1,'jsmith','ONLINE','STANDING BY')"}},
        {"UpdateStationStatus",
         "05:22:53",
         [](const QString& c) {
             UpdateStationStatus(c, 3, QStringLiteral("jsmith"), QStringLiteral("ONLINE"),
                                 QStringLiteral("SCANNING"));
             return QString();
         },
         "",
         {"UPDATE SystemStatus SET USERID = 'jsmith', Status = 'ONLINE', CURRENTTASK = "
          "'SCANNING' WHERE SystemID = 3"}},
        {"SetStationOffline",
         "05:22:53",
         [](const QString& c) {
             SetStationOffline(c, 3);
             return QString();
         },
         "",
         {"UPDATE SystemStatus SET Status = 'OFFLINE',CurrentTask = 'IDLE' WHERE SYSTEMID = 3"}},
    };
    return calls;
}

std::vector<ImageRow> ExampleBatchImages() {
    std::vector<ImageRow> images;
    for (int i = 0; i < 110; ++i) {
        const int writeIns = i < 4 ? 1 : 0;
        images.push_back({3, 12, "300120001", 7, writeIns, 0, 0, writeIns});
    }
    for (int i = 0; i < 3; ++i) {
        images.push_back({3, 12, "300120002", 8});
    }
    for (int i = 0; i < 2; ++i) {
        images.push_back({3, 12, "300120003", 2});
    }
    images.push_back({3, 12, "300120004", 5});
    return images;
}
