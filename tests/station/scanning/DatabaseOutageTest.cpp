// A database outage at each moment of a batch: nothing of the lost batch stays in the database
// (a storage pass cut short leaves nothing even before the station cleans up), and the batch is
// scanned again under its number once the server is back.

#include <gtest/gtest.h>

#include <QDir>
#include <QPushButton>

#include "DiskBatchCycle.h"
#include "audit/AuditLogFile.h"
#include "database/StatementObserver.h"
#include "support/MariaDbTestServer.h"

namespace {

// A MariaDB server of the outage tests alone, which they kill and start again.
MariaDbTestServer& OutageServer() {
    static MariaDbTestServer server{MariaDbTestServer::Options{}};
    return server;
}

// The server dies just before the station sends a statement for the given time.
struct Outage {
    const char* statement;
    int occurrence;
    QStringList told;  // the boxes after "Scan Header Card" (opening) or "Scan Ender Card"
    int rowsLeft;      // image rows, seals and image bytes each of the lost batch when the server
                       // is back: a pass cut short leaves none, its transaction undone
};

const QString kStillInTheDatabase = QStringLiteral(
    "Batch 7 Lost | The database cannot be reached, so batch 7 is still in it.  The station "
    "removes it when the database answers again, at the next Start Batch; batch 7 can then be "
    "scanned again under its number.  The image files stay in %1. | OK | exclamation");
const QString kLost = QStringLiteral(
    "Batch 7 Lost | Error occurred during data storage.  Batch has been lost.  Rescan batch. | OK "
    "| critical");

const std::map<QString, Outage> kOutages = {
    {"storage",
     {"INSERT INTO BallotImages", 3, {"<storage error>", kLost, kStillInTheDatabase}, 0}},
    {"tallies", {"SELECT Count(BallotSN)", 1, {kLost, kStillInTheDatabase}, 5}},
    {"closing",
     {"UPDATE Batches SET ImageCount", 1, {Summary(5, 2, 3, 0, 0), kLost, kStillInTheDatabase}, 5}},
    {"opening",
     {"INSERT INTO Batches(BatchNo",
      1,
      {"Invalid Batch | Batch 7 could not be written to the database, which cannot be "
       "reached.  Start batch cancelled.  Click 'Start Batch' again when the database "
       "answers. | OK | exclamation"},
      0}},
};

class DatabaseOutage : public DiskBatchCycle {
  protected:
    void SetUp() override {
        ASSERT_TRUE(kRealReader);
        station = std::make_unique<TestStation>(MakeMariaDbDataSource(OutageServer()),
                                                TestStation::Scanner::DiskImport);
        station->Start();
    }
    void TearDown() override {
        SetStatementObserver({});
        OutageServer().Restart();
    }
};

TEST_P(DatabaseOutage, NoRowOfTheLostBatchStaysAndItIsScannedAgainUnderItsNumber) {
    const Outage& outage = kOutages.at(QString::fromLatin1(GetParam()));
    const bool opening = QLatin1StringView(GetParam()) == u"opening";
    int seen = 0;
    SetStatementObserver([&](const QString& statement) {
        if (statement.startsWith(QLatin1StringView(outage.statement)) &&
            ++seen == outage.occurrence) {
            OutageServer().Kill();
        }
    });
    StartBatch(kHeader7);
    if (!opening) {
        Scan({kBallot, kBallot, kBallot});
        EndBatch();
    }
    SetStatementObserver({});

    QStringList told = station->Shown().mid(opening ? 1 : 3);
    if (!told.isEmpty() && told.front().startsWith(u"VrelScanning | -2147467259\r\n")) {
        told.front() = QStringLiteral("<storage error>");
    }
    QStringList expected = outage.told;
    expected.replaceInStrings(u"%1", QDir::toNativeSeparators(station->BatchFolder(7)));
    EXPECT_EQ(told, expected);
    EXPECT_EQ(Batch().CurrentBatch, 0);
    EXPECT_TRUE(Window().cmdStartBatch->isEnabled());
    EXPECT_FALSE(Window().cmdEndBatch->isEnabled());
    EXPECT_EQ(TestStation::FilesIn(station->BatchFolder(7)).size(), opening ? 0 : 5);

    // Back: what the station wrote before the outage is there until the next Start Batch.
    OutageServer().Restart();
    const QString left = QStringLiteral(
        "SELECT CONCAT((SELECT Count(*) FROM ImageSeals WHERE BatchNo = 7), ' ', (SELECT "
        "Count(*) FROM ImageFiles WHERE BatchNo = 7)) AS v");
    EXPECT_EQ(station->ImageRows(7).size(), outage.rowsLeft);
    EXPECT_EQ(station->Query(left), QStringLiteral("%1 %1").arg(outage.rowsLeft));
    station->dialogs.shown.clear();
    StartBatch(kHeader7);
    ASSERT_EQ(Batch().CurrentBatch, 7) << station->Shown().join(u'\n').toStdString();
    EXPECT_EQ(station->BatchRow(7), QStringLiteral("NULL NULL open"));
    EXPECT_TRUE(station->ImageRows(7).isEmpty());
    Scan({kBallot, kBallot, kBallot});
    EndBatch();
    EXPECT_EQ(station->Shown().last(), Summary(5, 2, 3, 0, 0));
    EXPECT_EQ(station->ImageRows(7),
              QStringList({"0 300700000 9 0", "1 300700001 0 0", "2 300700002 0 0",
                           "3 300700003 0 0", "4 300700004 10 0"}));
    EXPECT_EQ(station->Query(QStringLiteral("SELECT COUNT(*) AS v FROM Batches")), "1");
    EXPECT_EQ(station->Query(left), QStringLiteral("5 5"));
    EXPECT_EQ(station->BatchRow(7), QStringLiteral("5 3 closed"));
    EXPECT_EQ(station->StationRow(), QStringLiteral("ONLINE/STANDING BY"));
    EXPECT_EQ(station->AuditTrail().filter(QStringLiteral("lost-batch-")),
              QStringList({R"(lost-batch-kept {"batch":7})",
                           R"(lost-batch-removed {"batch":7,"later":true})"}));

    // The anchor after the lost batch could not be written: recorded, without a box (told holds
    // every box), and covered by the anchor after the batch scanned again, of the last record.
    EXPECT_EQ(station->AuditTrail().filter(QStringLiteral("audit-anchor-failed")).size(),
              opening ? 0 : 1);
    const AuditLog::Anchor last = station->audit->LatestRecord().value();
    EXPECT_EQ(station->Query(QStringLiteral("SELECT CONCAT(Sequence, ' ', Hash) AS v FROM "
                                            "AuditAnchors ORDER BY Sequence DESC LIMIT 1")),
              QStringLiteral("%1 %2")
                  .arg(audit::ReadAuditLog(station->AuditLogFile()).size())
                  .arg(QString::fromLatin1(last.hash)));
}

INSTANTIATE_TEST_SUITE_P(Moments, DatabaseOutage,
                         testing::Values("storage", "tallies", "closing", "opening"),
                         [](const testing::TestParamInfo<const char*>& info) {
                             return std::string(info.param);
                         });

}  // namespace
