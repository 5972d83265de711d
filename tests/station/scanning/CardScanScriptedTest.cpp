// Header and ender card scans on the recording scanner fakes with scripted readings: the window
// during a card scan, a run still under way, a full batch, scanner errors and Cancel.

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

class ScriptedCardScan : public ScriptedBatchCycle {};

TEST_P(ScriptedCardScan, TheWindowTakesNoClicksKeysOrCloseWhileACardIsScanned) {
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
TEST_P(ScriptedCardScan, ARefusedCardGivesTheFocusBack) {
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

TEST_P(ScriptedCardScan, EndBatchWaitsForARunningScannerToBeStopped) {
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

    // Both pages done.
    ASSERT_TRUE(QTest::qWaitFor(
        [this] { return Window().lblImageCount->text() == QStringLiteral("Image Count: 2"); },
        30000));
    Window().cmdStopScanner_Click();
    End();
    EXPECT_EQ(station->ImageRows(7), QStringList({"0 300700000 9 0", "1 300700001 0 0",
                                                  "2 300700002 0 0", "3 300700003 10 0"}));
}

// A full batch keeps its last serial for the ender card: a ballot scanned in its place is not
// added, since the next serial would not fit.
TEST_P(ScriptedCardScan, AFullBatchTakesNoCardButTheEnderInItsLastSlot) {
    OpenAndScan({"0 1"});
    // The slots between stand for ballots like the first, sealed as it is.
    std::fill(Batch().BatchImages.begin() + 2, Batch().BatchImages.begin() + LastImageSequence,
              Batch().BatchImages[1]);
    Batch().ImageSeals.resize(LastImageSequence, Batch().ImageSeals[1]);
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
TEST_P(ScriptedCardScan, ALastPageArrivingDuringTheEnderBoxStaysABallot) {
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

    // The box stays open until the page under way has ended: its image counted and written.
    station->dialogs.onShown = [this](const ShownBox&) {
        EXPECT_TRUE(QTest::qWaitFor(
            [this] { return Batch().ImageCounter >= 2 && !Batch().PageEnded; }, 30000));
    };
    End();
    EXPECT_EQ(station->ImageRows(7),
              QStringList({"0 300700000 9 0", "1 300700001 0 0", "2 300700002 10 0"}));
    EXPECT_EQ(Batch().CurrentBatch, 0);
}

TEST_P(ScriptedCardScan, CancelInScanEnderCardScansNothing) {
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

TEST_P(ScriptedCardScan, AScannerErrorDuringACardScanEndsItSilently) {
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

INSTANTIATE_TEST_SUITE_P(Databases, ScriptedCardScan, testing::Values("SQLite", "MariaDB"));

}  // namespace
