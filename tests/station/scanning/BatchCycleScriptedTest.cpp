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
#include <QTextStream>
#include <cstdlib>

#include "database/DatabaseError.h"
#include "database/StatementObserver.h"
#include "scanning/ImageNames.h"
#include "support/TestStation.h"

namespace {

// Bound on the first read, before any test reads.
const bool kScriptedReader = setenv("LINDHOLLOW_LHDLL", SCRIPTED_READER, 1) == 0;

using Answer = Dialogs::Answer;

class ScriptedBatchCycle : public testing::TestWithParam<const char*> {
  protected:
    void SetUp() override {
        ASSERT_TRUE(kScriptedReader);
        station = std::make_unique<TestStation>(GetParam(), TestStation::Scanner::Fake);
        readerLog = station->home.filePath(QStringLiteral("reader.log"));
        setenv("LINDHOLLOW_READER_LOG", QFile::encodeName(readerLog).constData(), 1);
        station->Start();
    }
    void TearDown() override {
        unsetenv("LINDHOLLOW_READER_LOG");
        station.reset();
    }

    VrelScan& Window() { return *station->window; }
    BatchState& Batch() { return station->Batch(); }

    // An "image" whose reading the scripted library reports: "<result> <card type> [<batch>]".
    QString Sheet(const QString& reading) {
        const QString path = station->home.filePath(QStringLiteral("sheet-%1.txt").arg(++sheets_));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        QTextStream(&file) << reading;
        return path;
    }

    // One card through the card slot.
    void ScriptCard(const QString& reading) {
        station->fakes.KScan1.scriptRun(FakeEvent::page(Sheet(reading)));
    }

    // Start Batch with a header card of batch 7, then one run of the given readings.
    void OpenAndScan(const QStringList& readings) {
        ScriptCard(QStringLiteral("0 -6 7"));
        Window().cmdStartBatch_Click();
        ASSERT_EQ(Batch().CurrentBatch, 7);
        QList<FakeEvent> run;
        for (const QString& reading : readings) {
            run += FakeEvent::page(Sheet(reading));
        }
        run += FakeEvent::failure(20025, QStringLiteral("Feeder empty"));
        station->fakes.KScan1.scriptRun(run);
        Window().cmdStartScanner_Click();
        ASSERT_TRUE(
            QTest::qWaitFor([this] { return Window().cmdStartScanner->isEnabled(); }, 30000));
    }

    // End Batch with an ender card, OK in "Scan Ender Card".
    void End(const QString& reading = QStringLiteral("0 -1")) {
        ScriptCard(reading);
        station->dialogs.answers = {Answer::OK};
        Window().cmdEndBatch_Click();
    }

    QStringList ReaderCalls() const {
        QFile file(readerLog);
        if (!file.open(QIODevice::ReadOnly)) {
            return {};
        }
        QStringList calls = QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
        for (QString& call : calls) {
            call.replace(station->window->INTRAY, QStringLiteral("<intray>/"));
        }
        return calls;
    }

    std::unique_ptr<TestStation> station;
    QString readerLog;

  private:
    int sheets_ = 0;
};

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
    EXPECT_TRUE(Window().cmdStartBatch->isEnabled());
    EXPECT_FALSE(Window().cmdEndBatch->isEnabled());
    EXPECT_FALSE(Window().cmdStartScanner->isEnabled());
    EXPECT_FALSE(Window().cmdStopScanner->isEnabled());
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

TEST_P(ScriptedBatchCycle, TheWindowTakesNoClicksKeysOrCloseWhileACardIsScanned) {
    VrelScan& window = Window();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window, 30000));
    int pagesStarted = 0;
    // Inside each card scan, as its page starts, the operator tries every button and closing.
    QObject::connect(&station->fakes.KScan1, &KScan::event11, [&] {
        ++pagesStarted;
        for (QPushButton* button : {window.cmdStartBatch, window.cmdEndBatch,
                                    window.cmdStartScanner, window.cmdStopScanner}) {
            QTest::mouseClick(button, Qt::LeftButton);
        }
        window.cmdStartScanner->setFocus();
        QTest::keyClick(window.cmdStartScanner, Qt::Key_Space);
        window.close();
    });
    ScriptCard(QStringLiteral("0 -6 7"));
    window.cmdStartBatch_Click();
    ASSERT_EQ(Batch().CurrentBatch, 7);
    EXPECT_EQ(pagesStarted, 1);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(station->Shown().size(), 1);
    EXPECT_EQ(station->StationRow(), QStringLiteral("ONLINE/STANDING BY"));

    End();
    EXPECT_EQ(pagesStarted, 2);
    EXPECT_TRUE(window.isVisible());
    // No run was started: the ender card was the batch's only image after the header card.
    EXPECT_EQ(station->ImageRows(7), QStringList({"0 300700000 9 0", "1 300700001 10 0"}));
    EXPECT_EQ(station->StationRow(), QStringLiteral("ONLINE/STANDING BY"));
    EXPECT_EQ(station->Shown().size(), 3);

    // Outside a card scan the same click starts what it names.
    ScriptCard(QStringLiteral("0 -6 8"));
    QObject::disconnect(&station->fakes.KScan1, &KScan::event11, nullptr, nullptr);
    QTest::mouseClick(window.cmdStartBatch, Qt::LeftButton);
    EXPECT_EQ(Batch().CurrentBatch, 8);
}

// A card scan takes the buttons away; a refused card gives them back, and the focus with them, so
// that the operator's next key goes where it went before.
TEST_P(ScriptedBatchCycle, ARefusedCardGivesTheFocusBack) {
    VrelScan& window = Window();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window, 30000));
    window.cmdStartBatch->setFocus();
    bool buttonsTaken = false;
    QObject::connect(&station->fakes.KScan1, &KScan::event11,
                     [&] { buttonsTaken = !window.cmdStartBatch->isEnabled(); });
    ScriptCard(QStringLiteral("0 1"));
    window.cmdStartBatch_Click();
    EXPECT_TRUE(buttonsTaken);
    EXPECT_EQ(station->Shown().last(),
              QStringLiteral("Bad Header Card | Scanned card is not a header card.  Start batch "
                             "cancelled. | OK | exclamation"));
    EXPECT_TRUE(window.cmdStartBatch->isEnabled());
    EXPECT_EQ(QApplication::focusWidget(), window.cmdStartBatch);
}

TEST_P(ScriptedBatchCycle, EndBatchWaitsForARunningScannerToBeStopped) {
    ScriptCard(QStringLiteral("0 -6 7"));
    Window().cmdStartBatch_Click();
    // A run whose pages are still to come.
    station->fakes.KScan1.scriptRun(FakeEvent::page(Sheet(QStringLiteral("0 1"))) +
                                    FakeEvent::page(Sheet(QStringLiteral("0 1"))));
    Window().cmdStartScanner_Click();
    const int boxes = station->dialogs.shown.size();
    Window().cmdEndBatch_Click();
    EXPECT_EQ(station->Shown().mid(boxes),
              QStringList({"Scanner Running | Click 'Stop Scanner' before ending the batch. | OK "
                           "| exclamation"}));
    EXPECT_FALSE(Batch().ScanningEnder);
    EXPECT_EQ(station->BatchRow(7), QStringLiteral("NULL NULL open"));

    ASSERT_TRUE(QTest::qWaitFor([this] { return Batch().ImageCounter == 3; }, 30000));
    Window().cmdStopScanner_Click();
    End();
    EXPECT_EQ(station->ImageRows(7), QStringList({"0 300700000 9 0", "1 300700001 0 0",
                                                  "2 300700002 0 0", "3 300700003 10 0"}));
}

// A full batch keeps its last serial for the ender card: a ballot scanned in its place is not
// added, since the next serial would not fit.
TEST_P(ScriptedBatchCycle, AFullBatchTakesNoCardButTheEnderInItsLastSlot) {
    OpenAndScan({"0 1"});
    Batch().ImageCounter = LastImageSequence;
    Batch().NextImageSerial = ImageSerial(3, 7, LastImageSequence);
    Batch().NextImageFile = ImageFile(Batch().BatchFolder, Batch().NextImageSerial);
    const int boxes = station->dialogs.shown.size();
    End(QStringLiteral("0 1"));
    EXPECT_EQ(station->Shown().mid(boxes).last(),
              "Bad Ender Card | Scanned card is not a ender card and batch 7 is full.  Take that "
              "sheet from the output tray and scan it in the next batch, then place the ender "
              "card and click 'End Batch' again. | OK | exclamation");
    EXPECT_EQ(Batch().ImageCounter, LastImageSequence);
    EXPECT_EQ(Batch().BatchImages.at(LastImageSequence).Serial, 0);
    EXPECT_FALSE(QFile::exists(Batch().NextImageFile));

    // The ender card still closes the batch in the kept slot.
    End();
    EXPECT_EQ(Batch().CurrentBatch, 0);
    EXPECT_EQ(station->Query("SELECT Count(*) AS v FROM BallotImages WHERE ImageSeq = 99999 AND "
                             "Status = 10 AND BallotSN = 300799999"),
              QStringLiteral("1"));
}

// Stop Scanner lets the page under way finish; when End Batch follows at once, that page's events
// arrive while "Scan Ender Card" is open. It is a ballot of the batch, not the ender card.
TEST_P(ScriptedBatchCycle, ALastPageArrivingDuringTheEnderBoxStaysABallot) {
    ScriptCard(QStringLiteral("0 -6 7"));
    Window().cmdStartBatch_Click();
    station->fakes.KScan1.scriptRun(FakeEvent::page(Sheet(QStringLiteral("0 1"))) +
                                    FakeEvent::page(Sheet(QStringLiteral("0 1"))));
    bool pageStarted = false;
    const QMetaObject::Connection started =
        QObject::connect(&station->fakes.KScan1, &KScan::event11, [&] { pageStarted = true; });
    Window().cmdStartScanner_Click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return pageStarted; }, 30000));
    QObject::disconnect(started);
    Window().cmdStopScanner_Click();
    ASSERT_EQ(Batch().ImageCounter, 1);  // the page under way has not ended yet

    station->dialogs.onShown = [](const ShownBox&) { QTest::qWait(100); };
    End();
    EXPECT_EQ(station->ImageRows(7),
              QStringList({"0 300700000 9 0", "1 300700001 0 0", "2 300700002 10 0"}));
    EXPECT_EQ(Batch().CurrentBatch, 0);
}

TEST_P(ScriptedBatchCycle, CancelInScanEnderCardScansNothing) {
    OpenAndScan({"0 1"});
    const int calls = station->fakes.log.size();
    station->dialogs.answers = {Answer::Cancel};
    Window().cmdEndBatch_Click();
    // Only the page length is written before the box; nothing is fed.
    EXPECT_EQ(station->fakes.calls().mid(calls), QStringList({"KScan1 write 47 = 128 (32-bit)"}));
    EXPECT_EQ(Batch().ImageCounter, 2);
    EXPECT_EQ(Batch().CurrentBatch, 7);
    EXPECT_TRUE(Window().cmdEndBatch->isEnabled());
    EXPECT_FALSE(Batch().ScanningEnder);
    EXPECT_EQ(station->BatchRow(7), QStringLiteral("NULL NULL open"));
}

TEST_P(ScriptedBatchCycle, AScannerErrorDuringACardScanEndsItSilently) {
    // The header card: no batch, the error number reset, only the error event's own message.
    station->fakes.KScan1.scriptRun({FakeEvent::failure(20025, QStringLiteral("Feeder empty"))});
    Window().cmdStartBatch_Click();
    EXPECT_EQ(Batch().CurrentBatch, 0);
    EXPECT_EQ(std::get<qint16>(station->fakes.KScan1.read(KScan::ErrorCode)), 0);
    EXPECT_EQ(station->Shown().last(),
              QStringLiteral("Feeder Empty | Feeder Empty.  Add more pages to scan and click "
                             "'Start Scanner' to continue. | OK | exclamation"));
    EXPECT_FALSE(Batch().ScanningHeader);
    EXPECT_FALSE(Batch().HeaderPageDone);
    EXPECT_EQ(station->Query(QStringLiteral("SELECT COUNT(*) AS v FROM Batches")),
              QStringLiteral("0"));

    // The ender card: the batch stays open as it was.
    OpenAndScan({"0 1"});
    station->fakes.KScan1.scriptRun({FakeEvent::failure(20026, QStringLiteral("Jam"))});
    station->dialogs.answers = {Answer::OK};
    Window().cmdEndBatch_Click();
    EXPECT_EQ(std::get<qint16>(station->fakes.KScan1.read(KScan::ErrorCode)), 0);
    EXPECT_EQ(station->Shown().last(),
              QStringLiteral("Paper Jam | Paper Jam Detected.  Remove jam and re-start scanner. "
                             "| OK | exclamation"));
    EXPECT_EQ(Batch().CurrentBatch, 7);
    EXPECT_EQ(Batch().ImageCounter, 2);
    EXPECT_TRUE(Window().cmdEndBatch->isEnabled());
    EXPECT_FALSE(Batch().ScanningEnder);
    EXPECT_FALSE(Batch().EnderPageDone);
    EXPECT_EQ(station->BatchRow(7), QStringLiteral("NULL NULL open"));
}

INSTANTIATE_TEST_SUITE_P(Databases, ScriptedBatchCycle, testing::Values("SQLite", "MariaDB"));

}  // namespace
