// What one refresh reads from the centre's database, on SQLite (the embedded default) and on
// MariaDB, whose date-time arithmetic the statements spell differently.

#include <gtest/gtest.h>

#include <QDateTime>
#include <memory>

#include "CentreReader.h"
#include "database/Connection.h"
#include "support/TestDataSource.h"

namespace {

const QDateTime kNow(QDate(2026, 12, 7), QTime(15, 5, 0));

QString At(const QDateTime& moment) {
    return u'\'' + moment.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) + u'\'';
}

class CentreReading : public testing::TestWithParam<const char*> {
  protected:
    void SetUp() override {
        source_ = MakeDataSource(QString::fromLatin1(GetParam()));
        connection_.Open(source_->ConnectString());
    }
    void Batch(int station, int batch, const QString& start, const QString& end, int ballots) {
        Run(QStringLiteral("INSERT INTO Batches (SystemID, BatchNo, StartTime, EndTime, "
                           "BallotCount, ImageCount) VALUES (%1, %2, %3, %4, %5, %6)")
                .arg(station)
                .arg(batch)
                .arg(start, end)
                .arg(ballots)
                .arg(ballots + 2));
    }
    void Run(const QString& statement) { connection_.Execute(statement); }
    CentreSnapshot Read() { return CentreReader(connection_).Read(kNow); }

    std::unique_ptr<TestDataSource> source_;
    Connection connection_;
};

TEST_P(CentreReading, BallotsFallIntoTheTenMinutesTheirBatchClosedIn) {
    const struct {
        QDateTime closed;
        int ballots;
        int bin;  // -1: before the chart's twelve hours
    } batches[] = {
        {kNow.addSecs(-24 * 60 - 50), 100, 69},  // 14:40:10
        {kNow.addSecs(-15 * 60 - 1), 7, 69},     // 14:49:59
        {kNow.addSecs(-15 * 60), 9, 70},         // 14:50:00
        {kNow.addSecs(-60), 11, 71},             // 15:04:00, the last bin, from 15:00
        {QDateTime(kNow.date(), QTime(3, 10)), 5, 0},
        {QDateTime(kNow.date(), QTime(3, 9, 59)), 1000, -1},
    };
    int batchNo = 0;
    for (const auto& batch : batches) {
        Batch(1, ++batchNo, At(batch.closed.addSecs(-300)), At(batch.closed), batch.ballots);
    }
    const CentreSnapshot snapshot = Read();
    ASSERT_EQ(snapshot.pace.size(), 72);
    EXPECT_EQ(snapshot.pace.front().from, QDateTime(kNow.date(), QTime(3, 10)));
    QList<qint64> expected(72, 0);
    for (const auto& batch : batches) {
        if (batch.bin >= 0) {
            expected[batch.bin] += batch.ballots;
        }
    }
    QList<qint64> actual;
    for (const PaceBin& bin : snapshot.pace) {
        actual << bin.ballots;
    }
    EXPECT_EQ(actual, expected);
}

TEST_P(CentreReading, StationsTotalsAndTheLastHour) {
    Run(
        QStringLiteral("INSERT INTO SystemStatus (SYSTEMID, USERID, STATUS, CURRENTTASK) VALUES "
                       "(2, 'ann', 'ONLINE', 'SCANNING'), (1, 'bo', 'OFFLINE', 'IDLE')"));
    // A batch started at exact midnight carries the date alone.
    Batch(1, 4, QStringLiteral("'2026-12-07'"), At(kNow.addSecs(-7200)), 40);
    Batch(2, 8, At(kNow.addSecs(-3000)), At(kNow.addSecs(-2400)), 30);
    Batch(2, 9, At(kNow.addSecs(-600)), QStringLiteral("NULL"), 0);
    Run(
        QStringLiteral("UPDATE Batches SET BallotCount = NULL, ImageCount = NULL WHERE BatchNo "
                       "= 9"));
    Run(QStringLiteral("UPDATE Batches SET WAITINGREPAIR = 2, DELETED = 1 WHERE BatchNo = 8"));
    Run(QStringLiteral("UPDATE Batches SET WAITINGREPAIR = 0, DELETED = 4 WHERE BatchNo = 4"));
    const CentreSnapshot snapshot = Read();
    ASSERT_EQ(snapshot.stations.size(), 2);
    const StationRow& one = snapshot.stations[0];
    const StationRow& two = snapshot.stations[1];
    EXPECT_EQ(std::tuple(one.systemId, one.userId, one.openBatch.has_value(), one.lastActivity),
              std::tuple(1, QStringLiteral("bo"), false, kNow.addSecs(-7200)));
    EXPECT_EQ(std::tuple(two.systemId, two.currentTask, two.openBatch.value_or(0), two.openSince,
                         two.lastActivity),
              std::tuple(2, QStringLiteral("SCANNING"), 9, kNow.addSecs(-600), kNow.addSecs(-600)));
    const CentreTotals& totals = snapshot.totals;
    EXPECT_EQ(std::tuple(totals.batchesClosed, totals.batchesOpen, totals.ballots, totals.images,
                         totals.waitingRepair, totals.discarded),
              std::tuple(2, 1, 70, 74, 2, 5));
    QStringList lastHour;
    for (const BatchRow& batch : snapshot.lastHour) {
        lastHour << QStringLiteral("%1/%2").arg(batch.systemId).arg(batch.batchNo);
    }
    EXPECT_EQ(lastHour, QStringList({"2/9", "2/8"}));
    EXPECT_EQ(snapshot.lastHourCount, 2);
    QStringList sinceMidnight;
    for (const BatchRow& batch : CentreReader(connection_)
                                     .BatchesSince(QDateTime(kNow.date(), QTime(0, 0)), 10,
                                                   CentreReader::Order::OldestFirst)) {
        sinceMidnight << QStringLiteral("%1/%2").arg(batch.systemId).arg(batch.batchNo);
    }
    EXPECT_EQ(sinceMidnight, QStringList({"1/4", "2/8", "2/9"}));
    EXPECT_EQ(CentreReader(connection_)
                  .BatchesSince(kNow.addDays(-1), 2, CentreReader::Order::OldestFirst)
                  .size(),
              2);
    Run(QStringLiteral("DROP TABLE AuditAnchors"));
    EXPECT_FALSE(Read().anchorLags.has_value()) << "an older database without audit anchors";
}

TEST_P(CentreReading, StationsWhoseAnchorsLagBehindTheirBatches) {
    // The anchors' times are set here, not stamped by the server as a station's are.
    if (QLatin1StringView(GetParam()) == u"MariaDB") {
        Run(QStringLiteral("DROP TRIGGER AuditAnchorsAccount"));
    }
    const QDateTime lastBatch = kNow.addSecs(-600);
    const struct {
        int station;
        std::optional<int> anchoredAfterBatch;  // seconds; none: never anchored
        bool lags;
    } stations[] = {
        {1, 30, false},
        {2, kAnchorAllowanceSeconds, false},
        {3, -kAnchorAllowanceSeconds - 1, true},
        {4, std::nullopt, true},
        {5, -3600, true},
    };
    QList<int> expected;
    for (const auto& station : stations) {
        Run(QStringLiteral("INSERT INTO SystemStatus (SYSTEMID, USERID, STATUS, CURRENTTASK) "
                           "VALUES (%1, 'x', 'ONLINE', 'STANDING BY')")
                .arg(station.station));
        Batch(station.station, 1, At(lastBatch.addSecs(-60)), At(lastBatch), 3);
        if (station.anchoredAfterBatch) {
            // Anchors are written in UTC, the batches in the station's local time.
            Run(QStringLiteral("INSERT INTO AuditAnchors (AnchorKey, SystemID, LogID, Sequence, "
                               "Hash, AnchoredAt, Account) VALUES (%1, %1, 'log', 1, 'h', %2, "
                               "'s')")
                    .arg(station.station)
                    .arg(At(lastBatch.addSecs(*station.anchoredAfterBatch).toUTC())));
        }
        if (station.lags) {
            expected << station.station;
        }
    }
    // One reader, as a refresher keeps it: the second reading takes only the anchors added since.
    CentreReader reader(connection_);
    const auto lagging = [&] {
        const CentreSnapshot snapshot = reader.Read(kNow);
        QList<int> stations;
        for (const AnchorLag& lag : snapshot.anchorLags.value()) {
            stations << lag.systemId;
        }
        return stations;
    };
    EXPECT_EQ(lagging(), expected);
    Run(QStringLiteral("INSERT INTO AuditAnchors (AnchorKey, SystemID, LogID, Sequence, Hash, "
                       "AnchoredAt, Account) VALUES (9, 5, 'log', 2, 'h', %1, 's')")
            .arg(At(lastBatch.toUTC())));
    expected.removeAll(5);
    EXPECT_EQ(lagging(), expected);
}

TEST_P(CentreReading, TheNewestBackupOfEachKindAndWhetherItIsLate) {
    if (QLatin1StringView(GetParam()) == u"SQLite") {
        EXPECT_FALSE(Read().backups.has_value()) << "only a MariaDB centre keeps backups";
        return;
    }
    Run(QStringLiteral("DROP TRIGGER BackupsAccount"));  // the times are set here
    const struct {
        const char* name;
        const char* kind;
        const char* event;
        int minutesAgo;
        int period;
    } rows[] = {
        {"old", "full", "taken", 3000, 1440},
        {"full", "full", "taken", 2870, 1440},  // within twice its period
        {"full", "full", "verified", 2860, 1440},
        {"incremental", "incremental", "taken", 31, 15},  // a minute beyond twice its period
    };
    for (const auto& row : rows) {
        Run(QStringLiteral("INSERT INTO Backups (BackupName, Kind, Event, PeriodMinutes, "
                           "SourceServer, Bytes, RecordedAt, Account) VALUES ('%1', '%2', '%3', "
                           "%4, 's', 1, %5, 'b')")
                .arg(row.name, row.kind, row.event)
                .arg(row.period)
                .arg(At(kNow.addSecs(-60 * row.minutesAgo).toUTC())));
    }
    const QList<BackupState> backups = Read().backups.value();
    ASSERT_EQ(backups.size(), 2);
    EXPECT_EQ(backups[0].name, "full");
    EXPECT_TRUE(backups[0].verified);
    EXPECT_FALSE(backups[0].late);
    EXPECT_EQ(backups[1].name, "incremental");
    EXPECT_FALSE(backups[1].verified);
    EXPECT_TRUE(backups[1].late);
}

INSTANTIATE_TEST_SUITE_P(Databases, CentreReading, testing::Values("SQLite", "MariaDB"));

}  // namespace
