#include "CentreReader.h"

#include <QMap>
#include <QVariant>

#include "database/Connection.h"
#include "database/Recordset.h"
#include "database/SqlDateTime.h"
#include "database/TableExists.h"

namespace {

std::optional<int> ToOptionalInt(const QVariant& value) {
    return value.isNull() ? std::nullopt : std::optional<int>(value.toInt());
}

QString Literal(const QDateTime& moment) {
    return u'\'' + moment.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) + u'\'';
}

// A batch time as a comparable date-time: SQLite keeps the stations' text, whose midnight form
// (the date alone) would sort before that day's "00:00:00".
QString Moment(const Connection& connection, const QString& column) {
    return connection.IsSqlite() ? QStringLiteral("datetime(%1)").arg(column) : column;
}

// A batch ends after it starts, so those started since `since` are closed since or still open;
// both are ranges of the index on EndTime.
QString ClosedSinceOrOpen(const Connection& connection, const QDateTime& since) {
    return QStringLiteral("(%1 >= %2 OR EndTime IS NULL)")
        .arg(Moment(connection, QStringLiteral("EndTime")), Literal(since));
}

class Rows {
  public:
    Rows(const QString& statement, Connection& connection) { rows_.Open(statement, connection); }
    bool Next() {
        if (started_ && !rows_.Eof()) {
            rows_.MoveNext();
        }
        started_ = true;
        return !rows_.Eof();
    }
    QVariant operator[](const QString& column) const { return rows_.Fields(column).Value(); }

  private:
    Recordset rows_;
    bool started_ = false;
};

}  // namespace

CentreSnapshot CentreReader::Read(const QDateTime& now) {
    CentreSnapshot snapshot;
    snapshot.readAt = now;
    ReadStations(snapshot);
    ReadTotals(snapshot);
    ReadPace(snapshot, now);
    const QDateTime hourAgo = now.addSecs(-3600);
    snapshot.lastHour = BatchesSince(hourAgo, kPageBatches, Order::NewestFirst);
    Rows count(QStringLiteral("SELECT COUNT(*) AS LastHour FROM Batches WHERE %1")
                   .arg(ClosedSinceOrOpen(connection_, hourAgo)),
               connection_);
    snapshot.lastHourCount = count.Next() ? count["LastHour"].toInt() : 0;
    ReadAnchorLags(snapshot);
    ReadBackups(snapshot, now);
    return snapshot;
}

void CentreReader::ReadStations(CentreSnapshot& snapshot) {
    Rows status(QStringLiteral("SELECT SYSTEMID, USERID, STATUS, CURRENTTASK FROM SystemStatus "
                               "ORDER BY SYSTEMID"),
                connection_);
    while (status.Next()) {
        StationRow row;
        row.systemId = status["SYSTEMID"].toInt();
        row.userId = status["USERID"].toString();
        row.status = status["STATUS"].toString();
        row.currentTask = status["CURRENTTASK"].toString();
        snapshot.stations.append(row);
    }
    QMap<int, StationRow*> byStation;
    for (StationRow& row : snapshot.stations) {
        byStation.insert(row.systemId, &row);
    }
    Rows open(QStringLiteral("SELECT SystemID, BatchNo, StartTime FROM Batches WHERE EndTime IS "
                             "NULL ORDER BY SystemID, BatchNo"),
              connection_);
    while (open.Next()) {
        if (StationRow* row = byStation.value(open["SystemID"].toInt())) {
            // A station has one batch open at a time; the latest wins should an older one be
            // left over until the station's next start removes it.
            row->openBatch = open["BatchNo"].toInt();
            row->openSince = SqlDateTimeValue(open["StartTime"]);
        }
    }
    // Each on an index of its own, a few rows a station rather than every batch. The text of
    // SQLite's times sorts as the times do, the date alone of midnight first.
    for (const char* column : {"StartTime", "EndTime"}) {
        Rows latest(QStringLiteral("SELECT SystemID, MAX(%1) AS Latest FROM Batches GROUP BY "
                                   "SystemID")
                        .arg(QLatin1String(column)),
                    connection_);
        while (latest.Next()) {
            if (StationRow* row = byStation.value(latest["SystemID"].toInt())) {
                row->lastActivity = std::max(row->lastActivity, SqlDateTimeValue(latest["Latest"]));
            }
        }
    }
}

void CentreReader::ReadTotals(CentreSnapshot& snapshot) {
    // Covered by the index BatchesByEndTime, narrower than the rows. Waiting for repair and
    // discarded are the tallies that each batch's closing counts from its image rows (status 1
    // and 2), as images and ballots are its counts: all four of the closed batches.
    Rows batches(QStringLiteral("SELECT COUNT(EndTime) AS Closed, COUNT(*) AS AllBatches, "
                                "SUM(ImageCount) AS Images, SUM(BallotCount) AS Ballots, "
                                "SUM(WAITINGREPAIR) AS Repair, SUM(DELETED) AS Discarded FROM "
                                "Batches"),
                 connection_);
    if (batches.Next()) {
        CentreTotals& totals = snapshot.totals;
        totals.batchesClosed = batches["Closed"].toLongLong();
        totals.batchesOpen = batches["AllBatches"].toLongLong() - totals.batchesClosed;
        totals.images = batches["Images"].toLongLong();
        totals.ballots = batches["Ballots"].toLongLong();
        totals.waitingRepair = batches["Repair"].toLongLong();
        totals.discarded = batches["Discarded"].toLongLong();
    }
}

void CentreReader::ReadPace(CentreSnapshot& snapshot, const QDateTime& now) {
    // Bins aligned on whole ten minutes of the local clock.
    const QDateTime last(now.date(), QTime(now.time().hour(), now.time().minute() / 10 * 10));
    const QDateTime first = last.addSecs(-(kPaceHours * 6 - 1) * 600);
    const QString bin =
        connection_.IsSqlite()
            ? QStringLiteral(
                  "(CAST(strftime('%s', EndTime) AS INTEGER) - CAST(strftime('%s', "
                  "%1) AS INTEGER)) / 600")
                  .arg(Literal(first))
            : QStringLiteral("FLOOR(TIMESTAMPDIFF(SECOND, %1, EndTime) / 600)").arg(Literal(first));
    // A range of the index BatchesByEndTime, which covers it.
    Rows bins(QStringLiteral("SELECT %1 AS Bin, SUM(BallotCount) AS Ballots FROM Batches WHERE "
                             "%2 >= %3 GROUP BY %1%4")
                  .arg(bin, Moment(connection_, QStringLiteral("EndTime")), Literal(first),
                       // MariaDB would sort the groups, which are put in order here anyway.
                       connection_.IsSqlite() ? QString() : QStringLiteral(" ORDER BY NULL")),
              connection_);
    for (int i = 0; i < kPaceHours * 6; ++i) {
        snapshot.pace.append({first.addSecs(i * 600), 0});
    }
    while (bins.Next()) {
        const int i = bins["Bin"].toInt();
        if (i >= 0 && i < snapshot.pace.size()) {
            snapshot.pace[i].ballots += bins["Ballots"].toLongLong();
        }
    }
}

QList<BatchRow> CentreReader::BatchesSince(const QDateTime& since, int limit, Order order) {
    Rows rows(
        QStringLiteral("SELECT SystemID, BatchNo, UserID, StartTime, EndTime, ImageCount, "
                       "BallotCount, WAITINGREPAIR, DELETED FROM Batches WHERE %1 ORDER BY %2 "
                       "LIMIT %3")
            .arg(ClosedSinceOrOpen(connection_, since),
                 order == Order::OldestFirst ? QStringLiteral("StartTime, SystemID")
                                             : QStringLiteral("StartTime DESC, SystemID DESC"))
            .arg(limit),
        connection_);
    QList<BatchRow> batches;
    while (rows.Next()) {
        BatchRow row;
        row.systemId = rows["SystemID"].toInt();
        row.batchNo = rows["BatchNo"].toInt();
        row.userId = rows["UserID"].toString();
        row.startTime = SqlDateTimeValue(rows["StartTime"]);
        row.endTime = SqlDateTimeValue(rows["EndTime"]);
        row.imageCount = ToOptionalInt(rows["ImageCount"]);
        row.ballotCount = ToOptionalInt(rows["BallotCount"]);
        row.waitingRepair = ToOptionalInt(rows["WAITINGREPAIR"]);
        row.discarded = ToOptionalInt(rows["DELETED"]);
        batches.append(row);
    }
    return batches;
}

bool CentreReader::BatchStillThere(int systemId, int batchNo, const QDateTime& startTime) {
    Rows rows(QStringLiteral("SELECT StartTime FROM Batches WHERE SystemID = %1 AND BatchNo = %2")
                  .arg(systemId)
                  .arg(batchNo),
              connection_);
    return rows.Next() && SqlDateTimeValue(rows["StartTime"]) == startTime;
}

void CentreReader::ReadAnchorLags(CentreSnapshot& snapshot) {
    if (!TableExists(connection_, QStringLiteral("AuditAnchors"))) {
        return;
    }
    // Anchors are only ever added, each with a greater key, so a station's latest is its row of
    // the greatest key. The first reading finds them on the narrow index by station; later ones
    // read only the rows added since, and a few before, which replication may have committed in
    // another order than their keys.
    const QString statement =
        anchorsReadUpTo_ < 0
            ? QStringLiteral(
                  "SELECT a.SystemID, a.AnchorKey, a.AnchoredAt FROM AuditAnchors a "
                  "INNER JOIN (SELECT SystemID, MAX(AnchorKey) AS LastKey FROM "
                  "AuditAnchors GROUP BY SystemID) l ON a.AnchorKey = l.LastKey")
            : QStringLiteral(
                  "SELECT SystemID, AnchorKey, AnchoredAt FROM AuditAnchors WHERE "
                  "AnchorKey > %1")
                  .arg(std::max<qint64>(0, anchorsReadUpTo_ - kAnchorKeysReadAgain));
    Rows anchors(statement, connection_);
    while (anchors.Next()) {
        const qint64 key = anchors["AnchorKey"].toLongLong();
        LatestAnchor& latest = latestAnchors_[anchors["SystemID"].toInt()];
        if (key > latest.key) {
            latest = {key, SqlDateTimeValue(anchors["AnchoredAt"])};
            latest.at.setTimeSpec(Qt::UTC);
        }
        anchorsReadUpTo_ = std::max(anchorsReadUpTo_, key);
    }
    anchorsReadUpTo_ = std::max<qint64>(anchorsReadUpTo_, 0);
    QList<AnchorLag> lags;
    for (const StationRow& station : snapshot.stations) {
        if (!station.lastActivity.isValid()) {
            continue;
        }
        const QDateTime anchored = latestAnchors_.value(station.systemId).at;
        if (!anchored.isValid() ||
            anchored.secsTo(station.lastActivity.toUTC()) > kAnchorAllowanceSeconds) {
            lags.append({station.systemId, anchored, station.lastActivity});
        }
    }
    snapshot.anchorLags = lags;
}

void CentreReader::ReadBackups(CentreSnapshot& snapshot, const QDateTime& now) {
    if (!TableExists(connection_, QStringLiteral("Backups"))) {
        return;
    }
    QList<BackupState> backups;
    for (const char* kind : {"full", "incremental"}) {
        Rows newest(QStringLiteral("SELECT b.BackupName, b.RecordedAt, b.PeriodMinutes, (SELECT "
                                   "COUNT(*) FROM Backups v WHERE v.BackupName = b.BackupName "
                                   "AND v.Event = 'verified') AS Verified FROM Backups b WHERE "
                                   "b.Kind = '%1' AND b.Event = 'taken' ORDER BY b.BackupKey "
                                   "DESC LIMIT 1")
                        .arg(kind),
                    connection_);
        if (!newest.Next()) {
            continue;
        }
        const QDateTime recorded = SqlDateTimeValue(newest["RecordedAt"]);
        BackupState backup{kind, newest["BackupName"].toString(),
                           QDateTime(recorded.date(), recorded.time(), Qt::UTC),
                           newest["Verified"].toInt() > 0, newest["PeriodMinutes"].toInt()};
        backup.late = backup.finished.secsTo(now.toUTC()) > 2 * 60 * backup.periodMinutes;
        backups.append(backup);
    }
    snapshot.backups = backups;
}
