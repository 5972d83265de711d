// Start Batch on the real disk-import scanner and the real ballot-reading library: header cards
// with and without a batch number, the batch-number dialogue, used batches, leftover folders.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>

#include "DiskBatchCycle.h"
#include "database/DatabaseError.h"
#include "database/StatementObserver.h"

namespace {

class BatchOpening : public DiskBatchCycle {};

TEST_P(BatchOpening, AHeaderWithoutNumberTakesTheProposedBatchOnYes) {
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
    EXPECT_EQ(station->AuditTrail().last(), R"(batch-opened {"batch":4,"source":"proposed"})");
}

TEST_P(BatchOpening, TheBatchNumberDialogueThroughEveryOtherBranch) {
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
    const QStringList trail = station->AuditTrail();
    EXPECT_EQ(trail.filter(QStringLiteral("batch-number-refused")).size(), 5);
    EXPECT_EQ(trail.filter(QStringLiteral("batch-number-refused")).last(),
              R"(batch-number-refused {"reason":"3 has already been used.","typed":"3"})");
    EXPECT_EQ(trail.last(), R"(batch-opened {"batch":14,"source":"typed"})");
}

TEST_P(BatchOpening, AHeaderCardOfAUsedBatchIsRefused) {
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

TEST_P(BatchOpening, AFolderLeftFromADeletedBatchIsEmptiedOfTifFilesOnly) {
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
    // What each removed file was stays in the log.
    const QString left = QString::fromLatin1(
        QCryptographicHash::hash("left from a deleted batch", QCryptographicHash::Sha256).toHex());
    EXPECT_TRUE(station->AuditTrail().contains(
        QStringLiteral(R"(leftover-images-removed {"batch":7,"files":[)"
                       R"({"file":"300700000.tif","sha256":"%1"},)"
                       R"({"file":"300700001.tif","sha256":"%1"},)"
                       R"({"file":"300700002.tif","sha256":"%1"}]})")
            .arg(left)))
        << station->AuditTrail().join(u'\n').toStdString();
}

INSTANTIATE_TEST_SUITE_P(Databases, BatchOpening, testing::Values("SQLite", "MariaDB"));

}  // namespace
