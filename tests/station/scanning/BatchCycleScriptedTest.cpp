// The batch cycle on the recording scanner fakes, with a ballot-reading library that reports
// scripted results, so that every reading the storage rules know can be fed, including those the
// real library never reports. On SQLite and on MariaDB.

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include "ScriptedBatchCycle.h"
#include "database/DatabaseError.h"
#include "database/StatementObserver.h"
#include "images/ImageNames.h"

namespace {

TEST_P(ScriptedBatchCycle, EveryReadingGetsItsStatusErrorCodeAndTally) {
    OpenAndScan({"0 1", "0 -3", "0 -2", "20 1", "220 1", "0 -5", "0 -1", "10 1", "30 7", "40 -6"});
    QList<int> progress;
    QObject::connect(Window().pbarDB, &QProgressBar::valueChanged,
                     [&progress](int value) { progress.append(value); });
    QStringList inserts;
    SetStatementObserver([&inserts](const QString& statement) {
        if (statement.startsWith(u"INSERT INTO BallotImages")) {
            inserts.append(statement);
        }
    });
    End();
    SetStatementObserver({});

    EXPECT_EQ(station->ImageRows(7),
              QStringList({"0 300700000 9 0", "1 300700001 0 0", "2 300700002 1 0",
                           "3 300700003 1 0", "4 300700004 2 20", "5 300700005 1 220",
                           "6 300700006 100 0", "7 300700007 110 0", "8 300700008 2 10",
                           "9 300700009 2 30", "10 300700010 2 40", "11 300700011 10 0"}));
    EXPECT_EQ(inserts.first(),
              QStringLiteral("INSERT INTO BallotImages(SystemID,BatchNo,ImageSeq,BallotSN,Status,"
                             "Error) VALUES (3,7,0,'300700000',9,0)"));
    EXPECT_EQ(inserts.at(4),
              QStringLiteral("INSERT INTO BallotImages(SystemID,BatchNo,ImageSeq,BallotSN,Status,"
                             "Error) VALUES (3,7,4,'300700004',2,20)"));
    EXPECT_EQ(Batch().HeaderCardCount, 2);
    EXPECT_EQ(Batch().EnderCardCount, 2);
    EXPECT_EQ(Batch().BallotCount, 1);
    EXPECT_EQ(Batch().RepairCount, 3);
    EXPECT_EQ(Batch().DiscardedCount, 4);
    EXPECT_EQ(Batch().BatchImages[5].ErrorCode, 220);
    EXPECT_EQ(Batch().BatchImages[11].Status, 10);
    EXPECT_EQ(station->Shown().last(),
              QStringLiteral("Batch 7 Ended | Batch 7 is closed.  Remove ballots from output tray "
                             "before continuing.\r\nImage Count: 12\r\n    Header / Ender: 4\r\n"
                             "    Ballot Count: 1\r\n    Repair Count: 3\r\n    Discarded: 4\r\n"
                             " | OK | no icon"));
    EXPECT_EQ(station->BatchRow(7), QStringLiteral("12 1 closed"));
    EXPECT_EQ(station->Tallies(7), QStringLiteral("0 0 4 0 3 0 0 0 0"));
    EXPECT_EQ(station->StationRow(), QStringLiteral("ONLINE/STANDING BY"));
    // One step per image up to the maximum, then back to 0.
    EXPECT_EQ(Window().pbarDB->maximum(), 12);
    EXPECT_EQ(progress, QList<int>({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 0}));
    // The card reads clear the library's buffer first; the storage pass does not.
    QStringList expected = {"ClearImageBuffer", "ReadBallotMarks <intray>/HEADER.tif",
                            "ClearImageBuffer", "ReadBallotMarks <intray>/3007/300700011.tif"};
    for (int i = 0; i < 12; ++i) {
        expected.append(
            QStringLiteral("ReadBallotMarks <intray>/3007/3007%1.tif").arg(i, 5, 10, QChar(u'0')));
    }
    EXPECT_EQ(ReaderCalls(), expected);
}

TEST_P(ScriptedBatchCycle, AnInsertRejectedHalfWayLosesTheBatchAndStandsTheStationBy) {
    OpenAndScan({"0 1", "0 1", "0 1", "0 1", "0 1", "0 1", "0 1", "0 1"});
    int inserts = 0;
    SetStatementObserver([&inserts](const QString& statement) {
        if (statement.startsWith(u"INSERT INTO BallotImages") && ++inserts == 5) {
            throw DatabaseError(QStringLiteral("insert refused"));
        }
    });
    End();
    SetStatementObserver({});

    const QStringList shown = station->Shown();
    ASSERT_GE(shown.size(), 2);
    EXPECT_EQ(shown.at(shown.size() - 2),
              QStringLiteral("VrelScanning | -2147467259\r\ninsert refused | OK | no icon"));
    EXPECT_EQ(shown.last(), QStringLiteral("Batch 7 Lost | Error occurred during data storage.  "
                                           "Batch has been lost.  Rescan batch. | OK | critical"));
    EXPECT_EQ(station->BatchRow(7), QString());
    EXPECT_TRUE(station->ImageRows(7).isEmpty());
    EXPECT_EQ(Window().pbarDB->value(), 0);
    // The counts so far: the header card and the four ballots read before the refusal.
    EXPECT_EQ(Batch().HeaderCardCount, 1);
    EXPECT_EQ(Batch().BallotCount, 4);
    EXPECT_EQ(Batch().EnderCardCount, 0);
    // Back to the no-batch state, with the images left for the rescan.
    EXPECT_EQ(Batch().CurrentBatch, 0);
    EXPECT_EQ(Batch().ImageCounter, 0);
    EXPECT_EQ(Batch().BatchFolder, Window().INTRAY);
    EXPECT_EQ(EnabledButtons(Window()), "cmdStartBatch");
    EXPECT_EQ(Window().lblBatch->text(), QStringLiteral("BATCH LOST"));
    EXPECT_EQ(Window().lblBatch->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_EQ(Window().lblImageCount->text(), QStringLiteral("Image Count:"));
    EXPECT_EQ(station->StationRow(), QStringLiteral("ONLINE/STANDING BY"));
    EXPECT_EQ(TestStation::FilesIn(station->BatchFolder(7)).size(), 10);

    // The operator rescans the batch under its number.
    OpenAndScan({"0 1"});
    End();
    EXPECT_EQ(station->ImageRows(7),
              QStringList({"0 300700000 9 0", "1 300700001 0 0", "2 300700002 10 0"}));
    EXPECT_EQ(TestStation::FilesIn(station->BatchFolder(7)).size(), 3);
}

TEST_P(ScriptedBatchCycle, AStorageConnectionThatCannotOpenLosesTheBatch) {
    OpenAndScan({"0 1"});
    Window().SQLCONNECTSTR = UnreachableConnectString();
    End();
    const QStringList shown = station->Shown();
    ASSERT_GE(shown.size(), 2);
    EXPECT_TRUE(shown.at(shown.size() - 2).startsWith(u"VrelScanning | -2147467259\r\n"))
        << shown.at(shown.size() - 2).toStdString();
    EXPECT_TRUE(shown.last().startsWith(u"Batch 7 Lost | ")) << shown.last().toStdString();
    EXPECT_EQ(station->BatchRow(7), QString());
    EXPECT_EQ(Batch().CurrentBatch, 0);
}

TEST_P(ScriptedBatchCycle, CardBatchNumbersOutsideOneTo999AreRefused) {
    for (const char* reading : {"0 -6 1000", "0 -4 0", "0 -6 -1"}) {
        station->dialogs.shown.clear();
        ScriptCard(QLatin1StringView(reading));
        Window().cmdStartBatch_Click();
        const QString batch = QString::fromLatin1(reading).section(u' ', 2);
        EXPECT_EQ(station->Shown().last(),
                  QStringLiteral("Bad Header Card | Header card carries batch %1, outside 1 to "
                                 "999.  Start batch cancelled. | OK | exclamation")
                      .arg(batch))
            << reading;
        EXPECT_FALSE(QFile::exists(Window().INTRAY + QStringLiteral("HEADER.tif"))) << reading;
        EXPECT_EQ(Batch().CurrentBatch, 0) << reading;
        EXPECT_TRUE(Window().cmdStartBatch->isEnabled()) << reading;
        EXPECT_EQ(station->Query(QStringLiteral("SELECT COUNT(*) AS v FROM Batches")),
                  QStringLiteral("0"))
            << reading;
    }
}

TEST_P(ScriptedBatchCycle, ANextBatchBeyond999IsNotOffered) {
    station->Execute(
        QStringLiteral("INSERT INTO Batches(BatchNo,StartTime,SystemID,UserID,EndTime)"
                       " VALUES (999, '2026-12-01 08:00:00', 3, 'demo', "
                       "'2026-12-01 09:00:00')"));
    ScriptCard(QStringLiteral("0 -5"));
    station->dialogs.inputs = {QStringLiteral("5")};
    station->dialogs.answers = {Answer::OK, Answer::OK, Answer::Yes};
    Window().cmdStartBatch_Click();
    EXPECT_EQ(station->Shown(),
              QStringList({"Scan Header Card | Place Header Card into scanner.  Click OK when "
                           "Ready. | OK | no icon",
                           "Assign Batch | Next available batch 1000 exceeds maximum batch "
                           "number. (<= 999)  Enter the batch number yourself. | OK | exclamation",
                           "Verify Batch Request | You have requested Batch 5.  Is this correct? "
                           "| Yes/No/Cancel | no icon"}));
    EXPECT_EQ(station->dialogs.inputPrompts,
              QStringList({"Batch Number | Enter desired batch number. | "}));
    EXPECT_EQ(Batch().CurrentBatch, 5);
}

TEST_P(ScriptedBatchCycle, ADatabaseThatCannotProposeABatchOffersNone) {
    SetStatementObserver([](const QString& statement) {
        if (statement.startsWith(u"SELECT BatchNo,SystemID FROM Batches")) {
            throw DatabaseError(QStringLiteral("gone"));
        }
    });
    ScriptCard(QStringLiteral("0 -5"));
    Window().cmdStartBatch_Click();
    EXPECT_EQ(station->Shown().last(),
              QStringLiteral("Assign Batch | Unable to find the next available batch.  Enter the "
                             "batch number yourself. | OK | exclamation"));
    // The empty input box abandons the dialogue; the header image waits for the next try.
    EXPECT_EQ(station->dialogs.inputPrompts,
              QStringList({"Batch Number | Enter desired batch number. | "}));
    EXPECT_EQ(Batch().CurrentBatch, 0);
    EXPECT_TRUE(QFile::exists(Window().INTRAY + QStringLiteral("HEADER.tif")));
}

INSTANTIATE_TEST_SUITE_P(Databases, ScriptedBatchCycle, testing::Values("SQLite", "MariaDB"));

}  // namespace
