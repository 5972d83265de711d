// The batch-cycle tests on the real disk-import scanner and the real ballot-reading library: a
// station whose card slot and feeder take sheets made by the library's image tool, on SQLite or on
// MariaDB, and the operator's steps.
#pragma once

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <cstdlib>
#include <map>

#include "images/ImageNames.h"
#include "support/MadeSheet.h"
#include "support/TestStation.h"

inline const bool kRealReader = setenv("LINDHOLLOW_LHDLL", LHDLL_LIBRARY, 1) == 0;

using Answer = Dialogs::Answer;

// A sheet made once by the image tool, e.g. {"header", "--type", "-6", "--batch", "7"}.
inline QString Sheet(const QStringList& args) {
    return MadeSheet(QStringLiteral(MAKE_SHEET_TOOL), args);
}

inline const QStringList kHeader7 = {"header", "--type", "-6", "--batch", "7"};
inline const QStringList kHeaderWithoutNumber = {"header", "--type", "-5"};
inline const QStringList kEnder = {"ender"};
inline const QStringList kBallot = {"ballot", "--marks", "1,5"};
inline const QStringList kBlank = {"blank"};
inline const QStringList kForeign = {"code", "--text", "HELLO"};

class DiskBatchCycle : public testing::TestWithParam<const char*> {
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

inline const QString kScanHeaderCard = QStringLiteral(
    "Scan Header Card | Place Header Card into scanner.  Click OK when Ready. | OK | no icon");
inline const QString kFeederEmpty = QStringLiteral(
    "Feeder Empty | Feeder Empty.  Add more pages to scan and click 'Start Scanner' to continue. "
    "| OK | exclamation");
inline const QString kScanEnderCard = QStringLiteral(
    "Scan Ender Card | Place Ender Card into scanner.  Click OK when Ready. | OK/Cancel | no icon");

inline QString Summary(int images, int headersAndEnders, int ballots, int repair, int discarded) {
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

// The SHA-256 in hex of the file's bytes; empty for a missing file.
inline QString Sha256Of(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly)
               ? QString::fromLatin1(
                     QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256).toHex())
               : QString();
}

// The seal of the batch whose images are the folder's files: SHA-256 over their SHA-256 in hex,
// each followed by a line feed.
inline QString FolderSeal(const QString& folder) {
    QString seals;
    for (const QString& name : TestStation::FilesIn(folder)) {
        seals += Sha256Of(folder + name) + u'\n';
    }
    return QString::fromLatin1(
        QCryptographicHash::hash(seals.toLatin1(), QCryptographicHash::Sha256).toHex());
}

inline void AddClosedBatch(TestStation& station, int batchNo) {
    station.Execute(QStringLiteral("INSERT INTO Batches(BatchNo,StartTime,SystemID,UserID,EndTime)"
                                   " VALUES (%1, '2026-12-01 08:00:00', 3, 'demo', "
                                   "'2026-12-01 09:00:00')")
                        .arg(batchNo));
}
