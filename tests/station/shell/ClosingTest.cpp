// Closing the main window: its unload and terminate steps mark the station off line, clear the
// paper path and remove a batch left open.

#include <gtest/gtest.h>

#include <QPushButton>

#include "LifecycleFixture.h"
#include "database/StatementObserver.h"

namespace {

TEST_F(LifecycleTest, ClosingMarksTheStationOffline) {
    station_.Start();
    station_.fakes.log.clear();
    station_.statements.clear();
    station_.window->close();
    EXPECT_EQ(station_.fakes.calls(),
              (QStringList{QStringLiteral("KScan1 read 67 -> False (Boolean)"),
                           QStringLiteral("KScan1 write 3 = 2 (32-bit)")}));
    EXPECT_EQ(station_.window->DbConnection->State(), 0);
    EXPECT_EQ(station_.StationRow(), QStringLiteral("OFFLINE/IDLE"));
    station_.window.reset();
    // Last, the anchor of the audit log's last record, station-ended.
    EXPECT_EQ(station_.statements.mid(0, 3),
              (QStringList{kUpdateOffline, kSetOffline, kSetOffline}));
    EXPECT_TRUE(station_.statements.value(3).startsWith("INSERT INTO AuditAnchors(") &&
                station_.statements.value(3).contains(station_.audit->LatestRecord()->hash));
    EXPECT_EQ(station_.StationRow(), QStringLiteral("OFFLINE/IDLE"));
}

TEST_F(LifecycleTest, ClosingDuringARunClearsThePaperPathFirst) {
    station_.Start();
    station_.fakes.KScan1.setValue(KScan::Feeding, true);
    station_.fakes.log.clear();
    station_.window->close();
    EXPECT_EQ(station_.fakes.calls(),
              (QStringList{QStringLiteral("KScan1 read 67 -> True (Boolean)"),
                           QStringLiteral("KScan1 write 3 = 13 (32-bit)"),
                           QStringLiteral("KScan1 write 3 = 2 (32-bit)")}));
}

TEST_F(LifecycleTest, ClosingWithAnOpenBatchDeletesItAtTerminate) {
    station_.Start();
    station_.OpenBatch(5);
    AddBatchRows(4, false);
    station_.window->close();
    EXPECT_EQ(Count("Batches", "BatchNo = 5"), QStringLiteral("1"));  // still there after unload
    station_.window.reset();
    EXPECT_EQ(Count("Batches", "BatchNo = 5"), QStringLiteral("0"));
    EXPECT_EQ(Count("Batches", "BatchNo = 4"), QStringLiteral("1"));
    EXPECT_EQ(station_.StationRow(), QStringLiteral("OFFLINE/IDLE"));
    // Image files stay on disk.
    EXPECT_TRUE(QDir(station_.Intray() + QStringLiteral("3005")).exists());
}

TEST_F(LifecycleTest, ClosingAfterTheBatchEndedDeletesNothing) {
    station_.Start();
    station_.OpenBatch(5);
    station_.Batch().CurrentBatch = 0;
    station_.window->close();
    station_.window.reset();
    EXPECT_EQ(Count("Batches", "BatchNo = 5"), QStringLiteral("1"));
    EXPECT_EQ(
        station_.statements.filter(QStringLiteral("DELETE FROM Batches WHERE BatchNo")).size(), 0);
}

// Unload failures go to standard error, and the rest of the step still runs.
QStringList warnings;
void CollectWarnings(QtMsgType, const QMessageLogContext&, const QString& message) {
    warnings.append(message);
}

TEST_F(LifecycleTest, UnloadErrorIsReportedAndTheStepGoesOn) {
    station_.Start();
    station_.fakes.KScan1.raiseOnWrite(KScan::Action, 20100, QStringLiteral("Device gone"));
    warnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler(CollectWarnings);
    station_.window->close();
    qInstallMessageHandler(previous);
    EXPECT_EQ(warnings,
              QStringList{QStringLiteral(
                  "VrelScanning: unload step, releasing the scanner: 20100 Device gone")});
    EXPECT_EQ(station_.window->DbConnection->State(), 0);
    EXPECT_EQ(station_.StationRow(), QStringLiteral("OFFLINE/IDLE"));
}

TEST_F(LifecycleTest, ClosingAfterAnEarlyStopStillMarksTheStationOffline) {
    station_.fakes.KScan1.raiseOnWrite(KScan::ImageProcessing, 20100, QStringLiteral("Wrong type"));
    station_.Execute(
        QStringLiteral("INSERT INTO SystemStatus(SYSTEMID,SYSTEMTYPE,USERID,STATUS,CURRENTTASK) "
                       "VALUES (3, 1, 'demo', 'ONLINE', 'SCANNING')"));
    VrelScan& window = station_.MakeWindow();
    window.Form_Load();
    ASSERT_FALSE(window.DbConnection);
    window.close();
    station_.window.reset();
    EXPECT_EQ(station_.StationRow(), QStringLiteral("OFFLINE/IDLE"));
}

}  // namespace
