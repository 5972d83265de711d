#include "ClosedBatchAttempts.h"

#include <gtest/gtest.h>

#include "database/Connection.h"
#include "database/DatabaseError.h"
#include "support/QtPrinting.h"
#include "support/TestDataSource.h"

namespace {

const char kClosed[] = "station3 may not change batch 12: a closed batch is final";

// Every row and every version of it, with the times of the versions.
const char kEverything[] =
    "SELECT CONCAT_WS('|', (SELECT GROUP_CONCAT(CONCAT_WS(',', BatchNo, EndTime, ImageCount, "
    "BallotCount, ROW_START, ROW_END) ORDER BY BatchNo, ROW_START) FROM Batches FOR SYSTEM_TIME "
    "ALL), (SELECT GROUP_CONCAT(CONCAT_WS(',', ImageRowKey, BatchNo, Status, ROW_START, ROW_END) "
    "ORDER BY ImageRowKey, ROW_START) FROM BallotImages FOR SYSTEM_TIME ALL), (SELECT "
    "GROUP_CONCAT(CONCAT_WS(',', BatchNo, ImageSeq, SHA256, ROW_START, ROW_END) ORDER BY BatchNo, "
    "ImageSeq, ROW_START) FROM ImageSeals FOR SYSTEM_TIME ALL), (SELECT "
    "GROUP_CONCAT(CONCAT_WS(',', "
    "BatchNo, ImageSeq, SHA256) ORDER BY BatchNo, ImageSeq) FROM ImageFiles), (SELECT "
    "GROUP_CONCAT(AnchoredAt ORDER BY AnchorKey) FROM AuditAnchors)) AS v";

// Rows and versions dated before the test ran.
const char kBackdated[] =
    "SELECT (SELECT Count(*) FROM Batches FOR SYSTEM_TIME ALL WHERE ROW_START < '2025-01-01' OR "
    "StartTime < '2025-01-01') + (SELECT Count(*) FROM BallotImages FOR SYSTEM_TIME ALL WHERE "
    "ROW_START < '2025-01-01') + (SELECT Count(*) FROM ImageSeals FOR SYSTEM_TIME ALL WHERE "
    "ROW_START < '2025-01-01') + (SELECT Count(*) FROM AuditAnchors WHERE AnchoredAt < "
    "'2025-01-01') AS v";

}  // namespace

const StationAttempt kStationAttempts[] = {
    {"UPDATE Batches SET BallotCount = 999 WHERE SystemID = 3 AND BatchNo = 12", kClosed},
    {"DELETE FROM Batches WHERE SystemID = 3 AND BatchNo = 12", kClosed},
    {"UPDATE BallotImages SET Status = 7 WHERE SystemID = 3 AND BatchNo = 12", kClosed},
    {"DELETE FROM BallotImages WHERE SystemID = 3 AND BatchNo = 12", kClosed},
    {"INSERT INTO BallotImages(SystemID,BatchNo,ImageSeq,BallotSN,Status,Error) VALUES "
     "(3,12,1,301200001,0,0)",
     kClosed},
    {"UPDATE BallotImages SET BatchNo = 12 WHERE SystemID = 3 AND BatchNo = 13", kClosed},
    {"DELETE FROM ImageSeals WHERE SystemID = 3 AND BatchNo = 12", kClosed},
    {"INSERT INTO ImageSeals VALUES (3,12,1,301200001,'b')", kClosed},
    {"DELETE FROM ImageFiles WHERE SystemID = 3 AND BatchNo = 12", kClosed},
    {"INSERT INTO ImageFiles VALUES (3,12,1,'b','image')", kClosed},
    {"INSERT INTO Batches(SystemID,BatchNo,StartTime,ROW_START,ROW_END) VALUES "
     "(3,20,'2020-01-01','2020-01-01','2020-01-02')",
     "ROW_START", "BINLOG REPLAY"},
    {"INSERT INTO AuditAnchors(SystemID,LogID,Sequence,Hash,AnchoredAt,Account) VALUES "
     "(3,'a',1,'b','2020-01-01','station3')",
     nullptr},
    {"UPDATE Batches SET ImageCount = 1 WHERE SystemID = 3 AND BatchNo = 13", nullptr},
};
const int kStationAttemptCount = std::size(kStationAttempts);

const ClockSetting kClockSettings[] = {
    {nullptr, false},
    {"SET timestamp = UNIX_TIMESTAMP('2020-01-01')", true},
    {"SET system_versioning_insert_history = 1", false},
};
const int kClockSettingCount = std::size(kClockSettings);

QString ClosedBatchRows() {
    return QStringLiteral(
        "INSERT INTO Batches(SystemID,BatchNo,StartTime,UserID,EndTime,ImageCount,BallotCount) "
        "VALUES (3,12,NOW(),'demo',NOW(),1,0),(3,13,NOW(),'demo',NULL,NULL,NULL);"
        "INSERT INTO BallotImages(SystemID,BatchNo,ImageSeq,BallotSN,Status,Error) VALUES "
        "(3,12,0,301200000,9,0),(3,13,0,301300000,9,0);"
        "INSERT INTO ImageSeals VALUES (3,12,0,301200000,'a'),(3,13,0,301300000,'a');"
        "INSERT INTO ImageFiles VALUES (3,12,0,'a','image'),(3,13,0,'a','image');");
}

void ExpectAttempt(const QString& station, const QString& admin, const ClockSetting& setting,
                   const StationAttempt& attempt) {
    SCOPED_TRACE(std::string(setting.sql ? setting.sql : "no setting") + ", then " + attempt.sql);
    const QString before = QueryOn(admin, QString::fromLatin1(kEverything));
    Connection connection;
    connection.Open(station);
    if (setting.sql) {
        try {
            connection.Execute(QString::fromLatin1(setting.sql));
            EXPECT_FALSE(setting.refused) << "done";
        } catch (const DatabaseError& error) {
            EXPECT_TRUE(setting.refused && error.message().contains(u"BINLOG REPLAY"))
                << error.what();
        }
    }
    const bool history = setting.sql && QLatin1StringView(setting.sql).contains(u"history");
    const char* refusal =
        history && attempt.historyRefusal ? attempt.historyRefusal : attempt.refusal;
    try {
        connection.Execute(QString::fromLatin1(attempt.sql));
        EXPECT_EQ(refusal, nullptr) << "done";
    } catch (const DatabaseError& error) {
        ASSERT_NE(refusal, nullptr) << error.what();
        EXPECT_TRUE(error.message().contains(QString::fromLatin1(refusal))) << error.what();
    }
    if (refusal) {
        EXPECT_EQ(QueryOn(admin, QString::fromLatin1(kEverything)), before);
    }
    EXPECT_EQ(QueryOn(admin, QString::fromLatin1(kBackdated)), "0");
}
