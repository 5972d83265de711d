// The load, unload and terminate steps of the main window on the recording scanner fakes: the
// station of the lifecycle tests, and the status-row statements they expect.
#pragma once

#include <gtest/gtest.h>

#include <QString>
#include <QStringList>

#include "support/TestStation.h"

inline const QString kSelectStation =
    QStringLiteral("SELECT SystemID FROM SystemStatus WHERE SystemID = 3");
inline const QString kInsertStation = QStringLiteral(
    "INSERT INTO SystemStatus(SYSTEMID,SYSTEMTYPE,USERID,STATUS,CURRENTTASK) VALUES "
    "(3,1,'demo','ONLINE','STANDING BY')");
inline const QString kUpdateOnline = QStringLiteral(
    "UPDATE SystemStatus SET USERID = 'demo', Status = 'ONLINE', CURRENTTASK = 'STANDING BY' "
    "WHERE SystemID = 3");
inline const QString kUpdateOffline = QStringLiteral(
    "UPDATE SystemStatus SET USERID = 'demo', Status = 'OFFLINE', CURRENTTASK = 'OFFLINE' WHERE "
    "SystemID = 3");
inline const QString kSetOffline = QStringLiteral(
    "UPDATE SystemStatus SET Status = 'OFFLINE',CurrentTask = 'IDLE' WHERE SYSTEMID = 3");

inline QStringList StationStatements(const QStringList& statements) {
    return statements.filter(QStringLiteral("SystemStatus"), Qt::CaseInsensitive);
}

class LifecycleTest : public testing::Test {
  protected:
    void SetUp() override { station_.RecordStatements(); }

    QString Ini() const { return station_.home.filePath(QStringLiteral("scanner.ini")); }
    QString Count(const QString& table, const QString& where) {
        return station_.Query(
            QStringLiteral("SELECT COUNT(*) AS v FROM %1 WHERE %2").arg(table, where));
    }
    void AddBatchRows(qint16 batchNo, bool open) {
        station_.Execute(
            QStringLiteral("INSERT INTO Batches(SystemID,BatchNo,StartTime,UserID,EndTime) "
                           "VALUES (3,%1,'2026-01-01 08:00:00','demo',%2)")
                .arg(batchNo)
                .arg(open ? QStringLiteral("NULL") : QStringLiteral("'2026-01-01 09:00:00'")));
        station_.Execute(
            QStringLiteral("INSERT INTO BallotImages(SystemID,BatchNo,ImageSeq,BallotSN,Status,"
                           "Error) VALUES (3,%1,0,%2,9,0)")
                .arg(batchNo)
                .arg(300000000 + batchNo * 100000));
        for (const char* table : {"ImageSeals(SystemID,BatchNo,ImageSeq,BallotSN,SHA256)",
                                  "ImageFiles(SystemID,BatchNo,ImageSeq,SHA256,ImageData)"}) {
            station_.Execute(QStringLiteral("INSERT INTO %1 VALUES (3,%2,0,'1','a')")
                                 .arg(QLatin1StringView(table))
                                 .arg(batchNo));
        }
    }

    TestStation station_;
};
