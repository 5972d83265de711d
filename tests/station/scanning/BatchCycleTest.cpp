// The whole batch cycle on the real disk-import scanner and the real ballot-reading library, with
// cards and ballots made by its image tool, on SQLite and on MariaDB.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "DiskBatchCycle.h"
#include "LindhollowVersion.h"
#include "audit/AuditLogFile.h"
#include "database/DatabaseError.h"
#include "database/StatementObserver.h"

namespace {

TEST_P(DiskBatchCycle, HeaderThreeBallotsAndEnderMakeAClosedBatch) {
    VrelScan& window = Window();
    // Each box with the last record on disk as it shows: the event's record comes first.
    QStringList recordedBeforeBox;
    station->dialogs.onShown = [this, &recordedBeforeBox](const ShownBox& box) {
        recordedBeforeBox << box.title + u' ' + station->AuditTrail().last().section(u' ', 0, 0);
    };
    StartBatch(kHeader7);
    ASSERT_EQ(Batch().CurrentBatch, 7);
    EXPECT_EQ(station->BatchRow(7), QStringLiteral("NULL NULL open"));
    EXPECT_EQ(TestStation::FilesIn(station->BatchFolder(7)), QStringList({"300700000.tif"}));
    EXPECT_FALSE(QFile::exists(window.INTRAY + QStringLiteral("HEADER.tif")));
    EXPECT_EQ(Batch().BatchFolder, window.INTRAY + QStringLiteral("3007/"));
    EXPECT_EQ(Batch().BatchImages.size(), 100001u);
    EXPECT_EQ(Batch().BatchImages[0].Serial, 300700000);
    EXPECT_EQ(Batch().ImageCounter, 1);
    EXPECT_EQ(Batch().NextImageSerial, QStringLiteral("300700001"));
    EXPECT_EQ(Batch().NextImageFile, Batch().BatchFolder + QStringLiteral("300700001.tif"));
    EXPECT_EQ(EnabledButtons(window), "cmdEndBatch cmdStartScanner");
    EXPECT_EQ(window.lblBatch->text(), QStringLiteral("Current Batch: 7"));
    EXPECT_EQ(window.lblBatch->palette().color(QPalette::WindowText), QColor(0, 0, 0));
    EXPECT_EQ(window.lblImageCount->text(), QStringLiteral("Image Count: 0"));
    EXPECT_FALSE(Batch().ScanningHeader);
    EXPECT_FALSE(Batch().HeaderPageDone);

    Scan({kBallot, kBallot, kBallot});
    QStringList closings;
    SetStatementObserver([&closings](const QString& statement) {
        if (statement.startsWith(u"UPDATE Batches SET ImageCount")) {
            closings.append(statement.section(u',', 0, 1));
        }
    });
    EndBatch();
    SetStatementObserver({});

    EXPECT_EQ(station->ImageRows(7),
              QStringList({"0 300700000 9 0", "1 300700001 0 0", "2 300700002 0 0",
                           "3 300700003 0 0", "4 300700004 10 0"}));
    EXPECT_EQ(station->Shown(),
              QStringList({kScanHeaderCard, kFeederEmpty, kScanEnderCard, Summary(5, 2, 3, 0, 0)}));
    EXPECT_EQ(closings, QStringList({"UPDATE Batches SET ImageCount = 5, BallotCount = 3"}));
    EXPECT_EQ(station->BatchRow(7), QStringLiteral("5 3 closed"));
    EXPECT_EQ(station->Tallies(7), QStringLiteral("0 0 0 0 0 0 0 0 0"));
    EXPECT_EQ(station->StationRow(), QStringLiteral("ONLINE/STANDING BY"));
    EXPECT_EQ(TestStation::FilesIn(station->BatchFolder(7)),
              QStringList({"300700000.tif", "300700001.tif", "300700002.tif", "300700003.tif",
                           "300700004.tif"}));
    EXPECT_EQ(Batch().CurrentBatch, 0);
    EXPECT_EQ(Batch().ImageCounter, 0);
    EXPECT_EQ(Batch().BatchFolder, window.INTRAY);
    EXPECT_EQ(EnabledButtons(window), "cmdStartBatch");
    EXPECT_EQ(window.lblBatch->text(), QStringLiteral("BATCH CLOSED"));
    EXPECT_EQ(window.lblBatch->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_EQ(window.lblImageCount->text(), QStringLiteral("Image Count:"));
    EXPECT_FALSE(Batch().ScanningEnder);
    EXPECT_FALSE(Batch().EnderPageDone);

    EXPECT_EQ(
        recordedBeforeBox,
        QStringList({"Scan Header Card open-batches-removed", "Feeder Empty scanner-run-stopped",
                     "Scan Ender Card scanner-run-stopped", "Batch 7 Ended batch-ended"}));
    station->window.reset();
    EXPECT_EQ(
        station->AuditTrail(1),  // after the record that opens the log
        QStringList(
            {QStringLiteral("station-started {\"version\":\"%1\"}").arg(LINDHOLLOW_VERSION),
             QStringLiteral("settings-loaded {\"file\":\"%1\"}").arg(station->SettingsFile()),
             R"(login-accepted {"privilege":1,"user":"demo"})",
             R"(station-registered {"row_added":true})", R"(open-batches-removed {"batches":0})",
             R"(batch-opened {"batch":7,"source":"card"})",
             R"(scanner-run-started {"batch":7,"endorser":true,"next_image":1})",
             R"(scanner-error {"description":"The feeder is empty","during":"run","error":20025})",
             R"(scanner-run-stopped {"batch":7,"cause":"scanner error","images":4})",
             R"(batch-ended {"ballots":3,"batch":7,"discarded":0,"headers_enders":2,)"
             R"("images":5,"repair":0,"seal":")" +
                 FolderSeal(station->BatchFolder(7)) + R"("})",
             R"(batch-closed {"ballots":3,"batch":7,"images":5})",
             QStringLiteral("station-ended {\"version\":\"%1\"}").arg(LINDHOLLOW_VERSION)}));
    const QList<audit::AuditRecord> records = audit::ReadAuditLog(station->AuditLogFile());
    EXPECT_EQ(records[2].station, 3);
    EXPECT_EQ(records[2].operatorId, QString());
    EXPECT_EQ(records[3].operatorId, QStringLiteral("demo"));
    EXPECT_EQ(records.last().operatorId, QStringLiteral("demo"));
    EXPECT_EQ(audit::VerifyAuditLog(station->AuditLogFile()).verified, records.size());
}

TEST_P(DiskBatchCycle, ABallotInPlaceOfTheEnderCardJoinsTheBatch) {
    StartBatch(kHeader7);
    Scan({kBallot, kBallot});
    EndBatch(kBallot);
    EXPECT_EQ(station->Shown().last(),
              QStringLiteral("Bad Ender Card | Scanned card is not a ender card.  Image will be "
                             "added to the batch.  End batch cancelled. | OK | exclamation"));
    EXPECT_EQ(Batch().ImageCounter, 4);
    EXPECT_EQ(Batch().BatchImages[3].Serial, 300700003);
    EXPECT_EQ(Batch().NextImageSerial, QStringLiteral("300700004"));
    EXPECT_TRUE(QFile::exists(station->BatchFolder(7) + QStringLiteral("300700003.tif")));
    EXPECT_TRUE(Window().cmdEndBatch->isEnabled());
    EXPECT_EQ(station->BatchRow(7), QStringLiteral("NULL NULL open"));

    EndBatch();
    EXPECT_EQ(station->ImageRows(7),
              QStringList({"0 300700000 9 0", "1 300700001 0 0", "2 300700002 0 0",
                           "3 300700003 0 0", "4 300700004 10 0"}));
    EXPECT_EQ(station->Shown().last(), Summary(5, 2, 3, 0, 0));
}

TEST_P(DiskBatchCycle, AnUnreadableEnderCardGivesItsSequenceNumberBack) {
    StartBatch(kHeader7);
    QList<QStringList> ballots;
    for (int i = 0; i < 119; ++i) {
        ballots.append(kBallot);
    }
    Scan(ballots);
    ASSERT_EQ(Batch().ImageCounter, 120);

    EndBatch(kBlank);
    const QString slot = station->BatchFolder(7) + QStringLiteral("300700120.tif");
    EXPECT_EQ(station->Shown().last(),
              QStringLiteral("Bad Ender Card | Unable to read ender card.  Try again with a "
                             "different card. | OK | exclamation"));
    EXPECT_FALSE(QFile::exists(slot));
    EXPECT_EQ(Batch().ImageCounter, 120);
    EXPECT_EQ(Batch().NextImageSerial, QStringLiteral("300700120"));
    EXPECT_EQ(Batch().NextImageFile, slot);
    EXPECT_EQ(Batch().CurrentBatch, 7);

    Scan({kBallot});
    EXPECT_TRUE(QFile::exists(slot));
    EXPECT_EQ(Batch().BatchImages[120].Serial, 300700120);
    EXPECT_EQ(Batch().ImageCounter, 121);
}

TEST_P(DiskBatchCycle, HeaderAndEnderCardsInsideTheBatch) {
    StartBatch(kHeader7);
    Scan({kBallot, {"header", "--type", "-6", "--batch", "9"}, kBallot, kEnder, kBallot});
    EndBatch();
    EXPECT_EQ(
        station->ImageRows(7),
        QStringList({"0 300700000 9 0", "1 300700001 0 0", "2 300700002 100 0", "3 300700003 0 0",
                     "4 300700004 110 0", "5 300700005 0 0", "6 300700006 10 0"}));
    EXPECT_EQ(station->Shown().last(), Summary(7, 4, 3, 0, 0));
    EXPECT_EQ(station->BatchRow(7), QStringLiteral("7 3 closed"));
}

TEST_P(DiskBatchCycle, ADiscardedAndARepairImage) {
    StartBatch(kHeader7);
    Scan({kBallot, kBlank, kForeign});
    EndBatch();
    EXPECT_EQ(station->ImageRows(7),
              QStringList({"0 300700000 9 0", "1 300700001 0 0", "2 300700002 2 10",
                           "3 300700003 1 203", "4 300700004 10 0"}));
    EXPECT_EQ(station->Shown().last(), Summary(5, 2, 1, 1, 1));
    EXPECT_EQ(station->Tallies(7), QStringLiteral("0 0 1 0 1 0 0 0 0"));
    EXPECT_EQ(station->BatchRow(7), QStringLiteral("5 1 closed"));
}

TEST_P(DiskBatchCycle, AnInsertRejectedHalfWayLosesTheBatch) {
    StartBatch(kHeader7);
    Scan({kBallot, kBallot, kBallot});
    int inserts = 0;
    SetStatementObserver([&inserts](const QString& statement) {
        if (statement.startsWith(u"INSERT INTO BallotImages") && ++inserts == 3) {
            throw DatabaseError(QStringLiteral("insert refused"));
        }
    });
    EndBatch();
    SetStatementObserver({});
    EXPECT_EQ(station->Shown().mid(3),
              QStringList({"VrelScanning | -2147467259\r\ninsert refused | OK | no icon",
                           "Batch 7 Lost | Error occurred during data storage.  Batch has been "
                           "lost.  Rescan batch. | OK | critical"}));
    EXPECT_EQ(station->BatchRow(7), QString());
    EXPECT_TRUE(station->ImageRows(7).isEmpty());
    EXPECT_EQ(station->AuditTrail().mid(10),
              QStringList({R"(unexpected-error {"description":"insert refused",)"
                           R"("during":"batch storage","error":-2147467259})",
                           R"(batch-lost {"batch":7,"images":5})",
                           R"(lost-batch-removed {"batch":7,"later":false})"}));
    EXPECT_EQ(Batch().CurrentBatch, 0);
    EXPECT_EQ(EnabledButtons(Window()), "cmdStartBatch");
    EXPECT_EQ(Window().lblBatch->text(), QStringLiteral("BATCH LOST"));
    EXPECT_EQ(station->StationRow(), QStringLiteral("ONLINE/STANDING BY"));
    EXPECT_EQ(TestStation::FilesIn(station->BatchFolder(7)).size(), 5);
}

// The images are read ahead on every core, yet a statement refused at image k leaves no row, seal
// or image bytes of the batch (its transaction is rolled back), the images after k without a
// status, and the tallies counted up to k.
TEST_P(DiskBatchCycle, AStatementRefusedAtImageKLeavesNoRowOfTheBatch) {
    StartBatch(kHeader7);
    Scan({kBallot, kBallot, kBallot, kBallot, kBallot});
    ASSERT_EQ(Batch().ImageCounter, 6);
    const std::pair<const char*, int> kRefusals[] = {
        {"INSERT INTO BallotImages", 0}, {"INSERT INTO BallotImages", 1},
        {"INSERT INTO BallotImages", 3}, {"INSERT INTO BallotImages", 5},
        {"INSERT INTO ImageFiles", 0},   {"INSERT INTO ImageSeals", 0},
    };
    for (const auto& [refused, k] : kRefusals) {
        SCOPED_TRACE(std::string(refused) + " " + std::to_string(k));
        for (BatchImage& image : Batch().BatchImages) {
            image.Status = 255;
        }
        int inserts = 0;
        SetStatementObserver([&inserts, refused, k](const QString& statement) {
            if (statement.startsWith(QLatin1StringView(refused)) && inserts++ == k) {
                throw DatabaseError(QStringLiteral("insert refused"));
            }
        });
        EXPECT_FALSE(Window().StoreScannedBatchIntoDatabase());
        SetStatementObserver({});
        EXPECT_EQ(station->ImageRows(7), QStringList());
        EXPECT_EQ(station->Query(QStringLiteral("SELECT (SELECT Count(*) FROM ImageSeals) + "
                                                "(SELECT Count(*) FROM ImageFiles) AS v")),
                  "0");
        // The seals and the bytes of a batch this small go in one statement each, after the
        // last image's row.
        const int stoppedAt = QLatin1StringView(refused).endsWith(u"BallotImages") ? k : 5;
        for (int i = 0; i < 6; ++i) {
            EXPECT_EQ(Batch().BatchImages[i].Status, i <= stoppedAt ? (i == 0 ? 9 : 0) : 255) << i;
        }
        EXPECT_EQ(Batch().HeaderCardCount + Batch().BallotCount, stoppedAt + 1);
        EXPECT_EQ(Window().pbarDB->value(), 0);
    }
}

TEST_P(DiskBatchCycle, ARestartAfterTheProgramWasKilledRemovesTheOpenBatch) {
    StartBatch(kHeader7);
    Scan({kBallot, kBallot});
    station->Kill();
    EXPECT_EQ(station->BatchRow(7), QStringLiteral("NULL NULL open"));

    const qsizetype beforeKill = audit::ReadAuditLog(station->AuditLogFile()).size();
    station->Start();
    EXPECT_EQ(station->AuditTrail(beforeKill).first(),
              R"(station-started {"version":")" + QStringLiteral(LINDHOLLOW_VERSION "\"}"));
    EXPECT_EQ(station->AuditTrail().last(), R"(open-batches-removed {"batches":1})");
    const audit::Verification verification = audit::VerifyAuditLog(station->AuditLogFile());
    EXPECT_EQ(verification.brokenLine, 0) << verification.problem.toStdString();
    EXPECT_EQ(verification.verified, beforeKill + 5);
    EXPECT_EQ(station->BatchRow(7), QString());
    EXPECT_EQ(TestStation::FilesIn(station->BatchFolder(7)).size(), 3);
    StartBatch(kHeader7);
    EXPECT_EQ(Batch().CurrentBatch, 7);
    EXPECT_EQ(TestStation::FilesIn(station->BatchFolder(7)), QStringList({"300700000.tif"}));
}

INSTANTIATE_TEST_SUITE_P(Databases, DiskBatchCycle, testing::Values("SQLite", "MariaDB"));

}  // namespace
