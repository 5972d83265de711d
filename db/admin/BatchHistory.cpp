#include "admin/BatchHistory.h"

#include <QList>
#include <QStringList>
#include <algorithm>

#include "database/Connection.h"
#include "database/DatabaseError.h"
#include "database/Recordset.h"

namespace {

enum MariaDbError { NotSystemVersioned = 4124 };

const QStringList kBatchColumns = {
    "StartTime",   "UserID",           "EndTime",       "ImageCount",   "BallotCount",
    "ACCEPTED",    "REJECTED",         "DELETED",       "HAVEWRITEINS", "WAITINGREPAIR",
    "WAITINGDUPE", "HAVEBEENREPAIRED", "HAVEBEENDUPED", "WRITEINSCHECK"};
const QStringList kImageColumns = {"ImageSeq",    "BallotSN", "Status", "Error",
                                   "HasWriteIns", "Repaired", "Duped",  "WriteIn"};
const QStringList kSealColumns = {"ImageSeq", "BallotSN", "SHA256"};

// One version of a row: its values as text ("NULL" for none), from when until when it was the
// row's content, and whether it still is.
struct Version {
    QString key;
    QStringList values;
    QString from;
    QString to;
    bool current;
};

QList<Version> Versions(Connection& connection, const QString& table, const QString& key,
                        const QStringList& columns, qint16 systemId, qint16 batchNo) {
    QStringList selected;
    for (const QString& column : columns) {
        selected << QStringLiteral("CAST(%1 AS CHAR) AS %1").arg(column);
    }
    // The end of a current row's version lies at the end of the server's TIMESTAMP range, past
    // 2038-01-19 03:14:07 UTC.
    Recordset rows;
    rows.Open(QStringLiteral("SELECT %1 AS RowKey, %2, DATE_FORMAT(ROW_START, "
                             "'%Y-%m-%d %H:%i:%s.%f') AS VersionFrom, DATE_FORMAT(ROW_END, "
                             "'%Y-%m-%d %H:%i:%s.%f') AS VersionTo, ROW_END >= "
                             "FROM_UNIXTIME(2147483647) AS IsCurrent FROM %3 FOR SYSTEM_TIME ALL "
                             "WHERE SystemID = %4 AND BatchNo = %5 ORDER BY RowKey, ROW_START")
                  .arg(key, selected.join(QStringLiteral(", ")), table)
                  .arg(systemId)
                  .arg(batchNo),
              connection);
    QList<Version> versions;
    for (; !rows.Eof(); rows.MoveNext()) {
        Version version{rows.Fields(QStringLiteral("RowKey")).Value().toString(),
                        {},
                        rows.Fields(QStringLiteral("VersionFrom")).Value().toString(),
                        rows.Fields(QStringLiteral("VersionTo")).Value().toString(),
                        rows.Fields(QStringLiteral("IsCurrent")).Value().toInt() == 1};
        for (const QString& column : columns) {
            const QVariant value = rows.Fields(column).Value();
            version.values << (value.isNull() ? QStringLiteral("NULL") : value.toString());
        }
        versions << version;
    }
    return versions;
}

QString Changes(const QStringList& columns, const QStringList& before, const QStringList& after) {
    QStringList changes;
    for (qsizetype i = 0; i < columns.size(); ++i) {
        if (before.isEmpty() && after[i] != u"NULL") {
            changes << columns[i] + u' ' + after[i];
        } else if (!before.isEmpty() && before[i] != after[i]) {
            changes << QStringLiteral("%1 %2 -> %3").arg(columns[i], before[i], after[i]);
        }
    }
    return changes.isEmpty() ? QStringLiteral("no value changed")
                             : changes.join(QStringLiteral(", "));
}

// What happened to a row at one moment. Image and seal rows are inserted many at a time and
// deleted together, so runs of them are told as one line.
struct Event {
    enum Kind { Plain, Inserted, Deleted };
    QString time;
    Kind kind;
    QString text;  // Plain; the image's sequence number otherwise
    QString row;   // "batch row", "image row", "seal row"
};

// The events of each row's versions: created, changed, deleted (and created again).
void AddEvents(QList<Event>& events, const QList<Version>& versions, const QStringList& columns,
               const QString& row) {
    // Image and seal rows, one row per image.
    const bool perImage = row != u"batch row";
    for (qsizetype i = 0; i < versions.size(); ++i) {
        const Version& version = versions[i];
        const bool continues =
            i > 0 && versions[i - 1].key == version.key && versions[i - 1].to == version.from;
        const QString seq = version.values.front();
        if (continues) {
            events << Event{version.from, Event::Plain,
                            QStringLiteral("%1 changed: %2")
                                .arg(perImage ? row + u' ' + seq : row,
                                     Changes(columns, versions[i - 1].values, version.values)),
                            row};
        } else if (perImage) {
            events << Event{version.from, Event::Inserted, seq, row};
        } else {
            events << Event{
                version.from, Event::Plain,
                QStringLiteral("%1 created: %2").arg(row, Changes(columns, {}, version.values)),
                row};
        }
        const bool replaced = i + 1 < versions.size() && versions[i + 1].key == version.key &&
                              versions[i + 1].from == version.to;
        if (!version.current && !replaced) {
            events << (perImage ? Event{version.to, Event::Deleted, seq, row}
                                : Event{version.to, Event::Plain, row + QStringLiteral(" deleted"),
                                        row});
        }
    }
}

// "N (sequence a to b)" of a run of image events.
QString Run(const QList<Event>& run) {
    QList<int> sequences;
    for (const Event& event : run) {
        sequences << event.text.toInt();
    }
    std::sort(sequences.begin(), sequences.end());
    return QStringLiteral("%1 (sequence %2 to %3)")
        .arg(run.size())
        .arg(sequences.front())
        .arg(sequences.back());
}

// The versions of the batch's rows in each table that keeps them.
struct BatchVersions {
    QList<Version> batch;
    QList<Version> images;
    QList<Version> seals;
};

BatchVersions ReadVersions(Connection& connection, qint16 systemId, qint16 batchNo) {
    try {
        return {Versions(connection, QStringLiteral("Batches"), QStringLiteral("0"), kBatchColumns,
                         systemId, batchNo),
                Versions(connection, QStringLiteral("BallotImages"), QStringLiteral("ImageRowKey"),
                         kImageColumns, systemId, batchNo),
                Versions(connection, QStringLiteral("ImageSeals"), QStringLiteral("ImageSeq"),
                         kSealColumns, systemId, batchNo)};
    } catch (const DatabaseError& error) {
        if (error.nativeCode() != NotSystemVersioned) {
            throw;
        }
        throw DatabaseError(QStringLiteral("This database keeps no history of its batches (%1).  "
                                           "lindhollow-admin create-schema makes it keep it from "
                                           "then on.")
                                .arg(error.message()));
    }
}

// Every row's events, in the order of their times.
QList<Event> EventsInTime(const BatchVersions& versions) {
    QList<Event> events;
    AddEvents(events, versions.batch, kBatchColumns, QStringLiteral("batch row"));
    AddEvents(events, versions.images, kImageColumns, QStringLiteral("image row"));
    AddEvents(events, versions.seals, kSealColumns, QStringLiteral("seal row"));
    std::stable_sort(events.begin(), events.end(),
                     [](const Event& a, const Event& b) { return a.time < b.time; });
    return events;
}

// One line an event, a run of image or seal rows inserted, or deleted at one time, as one line.
QString EventLines(const QList<Event>& events) {
    QString text;
    for (qsizetype i = 0; i < events.size();) {
        const Event& first = events[i];
        QList<Event> run = {first};
        while (++i < events.size() && first.kind != Event::Plain && events[i].kind == first.kind &&
               events[i].row == first.row &&
               (first.kind == Event::Inserted || events[i].time == first.time)) {
            run << events[i];
        }
        text += first.time + QStringLiteral("  ");
        switch (first.kind) {
            case Event::Plain:
                text += first.text;
                break;
            case Event::Inserted:
                text += QStringLiteral("%1s inserted: %2, the last at %3")
                            .arg(first.row, Run(run), run.back().time);
                break;
            case Event::Deleted:
                text += QStringLiteral("%1s deleted: %2").arg(first.row, Run(run));
                break;
        }
        text += u'\n';
    }
    return text;
}

// What of the batch is in the database now.
QString NowLine(const BatchVersions& versions) {
    const auto current = [](const QList<Version>& rows) {
        return std::count_if(rows.begin(), rows.end(), [](const Version& v) { return v.current; });
    };
    return QStringLiteral("Now: %1, %2 image rows, %3 seal rows.\n")
        .arg(current(versions.batch) > 0 ? QStringLiteral("the batch row")
                                         : QStringLiteral("no batch row"))
        .arg(current(versions.images))
        .arg(current(versions.seals));
}

}  // namespace

QString BatchHistory(Connection& connection, qint16 systemId, qint16 batchNo) {
    if (!connection.IsMariaDb()) {
        throw DatabaseError(QStringLiteral("Only a counting centre on MariaDB keeps the history of "
                                           "its batches, not %1.")
                                .arg(connection.DbmsName()));
    }
    connection.Execute(QStringLiteral("SET time_zone = '+00:00'"));
    const BatchVersions versions = ReadVersions(connection, systemId, batchNo);
    return QStringLiteral("Batch %1 of station %2, times in UTC:\n").arg(batchNo).arg(systemId) +
           EventLines(EventsInTime(versions)) + NowLine(versions);
}
