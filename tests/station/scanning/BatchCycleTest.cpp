// The whole batch cycle on the real disk-import scanner and the real ballot-reading library, with
// cards and ballots made by its image tool, on SQLite and on MariaDB.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <cstdlib>
#include <map>

#include "database/DatabaseError.h"
#include "database/StatementObserver.h"
#include "scanning/ImageNames.h"
#include "support/TestStation.h"

namespace {

const bool kRealReader = setenv("LINDHOLLOW_LHDLL", LHDLL_LIBRARY, 1) == 0;

using Answer = Dialogs::Answer;

// A sheet made once by the image tool, e.g. {"header", "--type", "-6", "--batch", "7"}.
QString Sheet(const QStringList& args) {
    static QTemporaryDir made;
    static std::map<QString, QString> sheets;
    const QString key = args.join(u' ');
    if (const auto found = sheets.find(key); found != sheets.end()) {
        return found->second;
    }
    const QString path = made.filePath(QStringLiteral("sheet%1.tif").arg(sheets.size()));
    if (QProcess::execute(QStringLiteral(MAKE_SHEET_TOOL), args + QStringList{path}) != 0) {
        throw std::runtime_error("lhdll-make-sheet failed for " + key.toStdString());
    }
    sheets[key] = path;
    return path;
}

const QStringList kHeader7 = {"header", "--type", "-6", "--batch", "7"};
const QStringList kHeaderWithoutNumber = {"header", "--type", "-5"};
const QStringList kEnder = {"ender"};
const QStringList kBallot = {"ballot", "--marks", "1,5"};
const QStringList kBlank = {"blank"};
const QStringList kForeign = {"code", "--text", "HELLO"};

class BatchCycle : public testing::TestWithParam<const char*> {
  protected:
    void SetUp() override {
        ASSERT_TRUE(kRealReader);
        station = std::make_unique<TestStation>(GetParam(), TestStation::Scanner::DiskImport);
        station->Start();
    }

    VrelScan& Window() { return *station->window; }
    BatchState& Batch() { return station->Batch(); }

    void PutCard(const QStringList& sheet) {
        ASSERT_TRUE(QFile::copy(Sheet(sheet), station->CardSlot() + QStringLiteral("card.tif")));
    }

    // The sheets into the feeder, in this order.
    void PutInFeeder(const QList<QStringList>& sheets) {
        for (const QStringList& sheet : sheets) {
            const QString name = QStringLiteral("%1.tif").arg(++fed_, 6, 10, QChar(u'0'));
            ASSERT_TRUE(QFile::copy(Sheet(sheet), station->Feeder() + name));
        }
    }

    // Start Batch with the card in the slot, OK in "Scan Header Card".
    void StartBatch(const QStringList& header) {
        PutCard(header);
        Window().cmdStartBatch->click();
    }

    // Start Scanner over the feeder until it runs empty.
    void Scan(const QList<QStringList>& sheets) {
        PutInFeeder(sheets);
        Window().cmdStartScanner->click();
        ASSERT_TRUE(
            QTest::qWaitFor([this] { return Window().cmdStartScanner->isEnabled(); }, 60000));
    }

    // End Batch with the card in the slot, OK in "Scan Ender Card".
    void EndBatch(const QStringList& ender = kEnder) {
        PutCard(ender);
        station->dialogs.answers = {Answer::OK};
        Window().cmdEndBatch->click();
    }

    std::unique_ptr<TestStation> station;

  private:
    int fed_ = 0;
};

const QString kScanHeaderCard = QStringLiteral(
    "Scan Header Card | Place Header Card into scanner.  Click OK when Ready. | OK | no icon");
const QString kFeederEmpty = QStringLiteral(
    "Feeder Empty | Feeder Empty.  Add more pages to scan and click 'Start Scanner' to continue. "
    "| OK | exclamation");
const QString kScanEnderCard = QStringLiteral(
    "Scan Ender Card | Place Ender Card into scanner.  Click OK when Ready. | OK/Cancel | no icon");

QString Summary(int images, int headersAndEnders, int ballots, int repair, int discarded) {
    return QStringLiteral(
               "Batch 7 Ended | Batch 7 is closed.  Remove ballots from output tray "
               "before continuing.\r\nImage Count: %1\r\n    Header / Ender: %2\r\n"
               "    Ballot Count: %3\r\n    Repair Count: %4\r\n    Discarded: %5\r\n"
               " | OK | no icon")
        .arg(images)
        .arg(headersAndEnders)
        .arg(ballots)
        .arg(repair)
        .arg(discarded);
}

void AddClosedBatch(TestStation& station, int batchNo) {
    station.Execute(QStringLiteral("INSERT INTO Batches(BatchNo,StartTime,SystemID,UserID,EndTime)"
                                   " VALUES (%1, '2026-12-01 08:00:00', 3, 'demo', "
                                   "'2026-12-01 09:00:00')")
                        .arg(batchNo));
}

TEST_P(BatchCycle, HeaderThreeBallotsAndEnderMakeAClosedBatch) {
    VrelScan& window = Window();
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
    EXPECT_FALSE(window.cmdStartBatch->isEnabled());
    EXPECT_TRUE(window.cmdEndBatch->isEnabled());
    EXPECT_TRUE(window.cmdStartScanner->isEnabled());
    EXPECT_FALSE(window.cmdStopScanner->isEnabled());
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
    EXPECT_TRUE(window.cmdStartBatch->isEnabled());
    EXPECT_FALSE(window.cmdEndBatch->isEnabled());
    EXPECT_FALSE(window.cmdStartScanner->isEnabled());
    EXPECT_FALSE(window.cmdStopScanner->isEnabled());
    EXPECT_EQ(window.lblBatch->text(), QStringLiteral("BATCH CLOSED"));
    EXPECT_EQ(window.lblBatch->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_EQ(window.lblImageCount->text(), QStringLiteral("Image Count:"));
    EXPECT_FALSE(Batch().ScanningEnder);
    EXPECT_FALSE(Batch().EnderPageDone);
}

TEST_P(BatchCycle, AHeaderWithoutNumberTakesTheProposedBatchOnYes) {
    AddClosedBatch(*station, 3);
    station->dialogs.answers = {Answer::OK, Answer::Yes};
    StartBatch(kHeaderWithoutNumber);
    EXPECT_EQ(station->Shown(),
              QStringList({kScanHeaderCard,
                           "Assign Batch | Next available batch is Batch 4.\r\nDo you want to use "
                           "this batch? | Yes/No/Cancel | no icon"}));
    EXPECT_EQ(Batch().CurrentBatch, 4);
    EXPECT_EQ(TestStation::FilesIn(station->BatchFolder(4)), QStringList({"300400000.tif"}));
    EXPECT_EQ(station->BatchRow(4), QStringLiteral("NULL NULL open"));
}

TEST_P(BatchCycle, TheBatchNumberDialogueThroughEveryOtherBranch) {
    AddClosedBatch(*station, 3);
    const QString header = Window().INTRAY + QStringLiteral("HEADER.tif");

    // Cancel at once.
    station->dialogs.answers = {Answer::OK, Answer::Cancel};
    StartBatch(kHeaderWithoutNumber);
    EXPECT_EQ(Batch().CurrentBatch, 0);
    EXPECT_TRUE(QFile::exists(header));
    EXPECT_TRUE(station->dialogs.inputPrompts.isEmpty());

    // No, then every kind of refused entry, three numbers not confirmed, and Cancel.
    station->dialogs.shown.clear();
    station->dialogs.answers = {Answer::OK, Answer::No, Answer::OK,    Answer::OK,
                                Answer::OK, Answer::OK, Answer::No,    Answer::No,
                                Answer::No, Answer::OK, Answer::Cancel};
    station->dialogs.inputs = {"0", "-4", "abc", "1000", "999", "12.5", "13.5", "3", "20"};
    StartBatch(kHeaderWithoutNumber);
    const auto invalid = [](const QString& text) {
        return QStringLiteral("Invalid Batch Number | ") + text +
               QStringLiteral(" | OK | exclamation");
    };
    const auto verify = [](int batch) {
        return QStringLiteral(
                   "Verify Batch Request | You have requested Batch %1.  Is this "
                   "correct? | Yes/No/Cancel | no icon")
            .arg(batch);
    };
    EXPECT_EQ(
        station->Shown(),
        QStringList({kScanHeaderCard,
                     "Assign Batch | Next available batch is Batch 4.\r\nDo you want to use "
                     "this batch? | Yes/No/Cancel | no icon",
                     invalid("0 is not a valid Batch Number."),
                     invalid("-4 is not a valid Batch Number."),
                     invalid("abc is not a valid Batch Number."),
                     invalid("1000 exceeds maximum batch number. (<= 999)"), verify(999),
                     verify(12), verify(14), invalid("3 has already been used."), verify(20)}));
    QStringList prompts;
    for (const char* shownDefault : {"4", "4", "4", "4", "4", "999", "12", "14", "14"}) {
        prompts.append(QStringLiteral("Batch Number | Enter desired batch number. | ") +
                       QLatin1StringView(shownDefault));
    }
    EXPECT_EQ(station->dialogs.inputPrompts, prompts);
    EXPECT_EQ(Batch().CurrentBatch, 0);
    EXPECT_TRUE(QFile::exists(header));

    // No, then an empty input box.
    station->dialogs.inputPrompts.clear();
    station->dialogs.answers = {Answer::OK, Answer::No};
    StartBatch(kHeaderWithoutNumber);
    EXPECT_EQ(station->dialogs.inputPrompts.size(), 1);
    EXPECT_EQ(Batch().CurrentBatch, 0);
    EXPECT_TRUE(QFile::exists(header));
    EXPECT_EQ(station->Query(QStringLiteral("SELECT COUNT(*) AS v FROM Batches")),
              QStringLiteral("1"));

    // No, a half rounded to the even neighbour, confirmed.
    station->dialogs.answers = {Answer::OK, Answer::No, Answer::Yes};
    station->dialogs.inputs = {" 13.5 "};
    StartBatch(kHeaderWithoutNumber);
    EXPECT_EQ(Batch().CurrentBatch, 14);
    EXPECT_FALSE(QFile::exists(header));
    EXPECT_EQ(TestStation::FilesIn(station->BatchFolder(14)), QStringList({"301400000.tif"}));
}

TEST_P(BatchCycle, AHeaderCardOfAUsedBatchIsRefused) {
    AddClosedBatch(*station, 7);
    StartBatch(kHeader7);
    EXPECT_EQ(station->Shown(), QStringList({kScanHeaderCard,
                                             "Invalid Batch | Batch 7 has already been used.  "
                                             "Unable to proceed. | OK | exclamation"}));
    EXPECT_FALSE(QFile::exists(Window().INTRAY + QStringLiteral("HEADER.tif")));
    EXPECT_EQ(Batch().CurrentBatch, 0);
    EXPECT_EQ(Batch().ImageCounter, 0);
    EXPECT_TRUE(Window().cmdStartBatch->isEnabled());
    EXPECT_FALSE(QDir(station->BatchFolder(7)).exists());
    EXPECT_EQ(station->Query(QStringLiteral("SELECT COUNT(*) AS v FROM Batches")),
              QStringLiteral("1"));
}

TEST_P(BatchCycle, ABallotInPlaceOfTheEnderCardJoinsTheBatch) {
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

TEST_P(BatchCycle, AnUnreadableEnderCardGivesItsSequenceNumberBack) {
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

TEST_P(BatchCycle, HeaderAndEnderCardsInsideTheBatch) {
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

TEST_P(BatchCycle, ADiscardedAndARepairImage) {
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

TEST_P(BatchCycle, AnInsertRejectedHalfWayLosesTheBatch) {
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
    EXPECT_EQ(Batch().CurrentBatch, 0);
    EXPECT_TRUE(Window().cmdStartBatch->isEnabled());
    EXPECT_FALSE(Window().cmdEndBatch->isEnabled());
    EXPECT_FALSE(Window().cmdStartScanner->isEnabled());
    EXPECT_EQ(Window().lblBatch->text(), QStringLiteral("BATCH LOST"));
    EXPECT_EQ(station->StationRow(), QStringLiteral("ONLINE/STANDING BY"));
    EXPECT_EQ(TestStation::FilesIn(station->BatchFolder(7)).size(), 5);
}

TEST_P(BatchCycle, AFolderLeftFromADeletedBatchIsEmptiedOfTifFilesOnly) {
    const QString folder = station->BatchFolder(7);
    ASSERT_TRUE(QDir().mkpath(folder));
    for (const char* name : {"300700000.tif", "300700001.tif", "300700002.tif", "notes.txt"}) {
        QFile file(folder + QLatin1StringView(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("left from a deleted batch");
    }
    StartBatch(kHeader7);
    ASSERT_EQ(Batch().CurrentBatch, 7);
    EXPECT_EQ(TestStation::FilesIn(folder), QStringList({"300700000.tif", "notes.txt"}));
    // The header image scanned now, not the one left behind.
    QFile header(folder + QStringLiteral("300700000.tif"));
    ASSERT_TRUE(header.open(QIODevice::ReadOnly));
    EXPECT_EQ(header.read(4), QByteArray("II*\0", 4));
}

TEST_P(BatchCycle, ARestartAfterTheProgramWasKilledRemovesTheOpenBatch) {
    StartBatch(kHeader7);
    Scan({kBallot, kBallot});
    station->Kill();
    EXPECT_EQ(station->BatchRow(7), QStringLiteral("NULL NULL open"));

    station->Start();
    EXPECT_EQ(station->BatchRow(7), QString());
    EXPECT_EQ(TestStation::FilesIn(station->BatchFolder(7)).size(), 3);
    StartBatch(kHeader7);
    EXPECT_EQ(Batch().CurrentBatch, 7);
    EXPECT_EQ(TestStation::FilesIn(station->BatchFolder(7)), QStringList({"300700000.tif"}));
}

INSTANTIATE_TEST_SUITE_P(Databases, BatchCycle, testing::Values("SQLite", "MariaDB"));

}  // namespace
