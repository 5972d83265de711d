#include "SoakInvariants.h"

#include "database/Connection.h"
#include "database/Recordset.h"

namespace {

// Each row of the query, its columns joined by blanks.
QStringList Rows(Connection& centre, const QString& query, const QStringList& columns) {
    Recordset rows;
    rows.Open(query, centre);
    QStringList found;
    for (; !rows.Eof(); rows.MoveNext()) {
        QStringList values;
        for (const QString& column : columns) {
            const QVariant value = rows.Fields(column).Value();
            values << (value.isNull() ? QStringLiteral("NULL") : value.toString());
        }
        found << values.join(u' ');
    }
    return found;
}

}  // namespace

QStringList BrokenInvariants(Connection& centre, int stations, int batches, int sheets) {
    QStringList broken;
    const int images = sheets + 2;
    for (int station = 1; station <= stations; ++station) {
        const QStringList status =
            Rows(centre,
                 QStringLiteral("SELECT STATUS, CURRENTTASK FROM SystemStatus WHERE SYSTEMID = %1")
                     .arg(station),
                 {"STATUS", "CURRENTTASK"});
        if (status != QStringList{"OFFLINE IDLE"}) {
            broken << QStringLiteral("station %1's status rows: %2")
                          .arg(station)
                          .arg(status.join(QStringLiteral(", ")));
        }
        for (int batch = 1; batch <= batches; ++batch) {
            const QStringList row = Rows(
                centre,
                QStringLiteral("SELECT ImageCount, BallotCount, EndTime IS NOT NULL AS Closed, "
                               "DELETED, WAITINGREPAIR FROM Batches WHERE SystemID = %1 AND "
                               "BatchNo = %2")
                    .arg(station)
                    .arg(batch),
                {"ImageCount", "BallotCount", "Closed", "DELETED", "WAITINGREPAIR"});
            const QString expected = QStringLiteral("%1 %2 1 0 0").arg(images).arg(sheets);
            if (row != QStringList{expected}) {
                broken << QStringLiteral("station %1 batch %2: batch rows [%3], not [%4]")
                              .arg(station)
                              .arg(batch)
                              .arg(row.join(QStringLiteral(", ")), expected);
            }
            // Every image once, by sequence, with its own station's and batch's serial.
            QStringList expectedImages;
            for (int sequence = 0; sequence < images; ++sequence) {
                expectedImages << QStringLiteral("%1 %2").arg(sequence).arg(
                    qint64(station) * 100000000 + batch * 100000 + sequence);
            }
            const QStringList imageRows =
                Rows(centre,
                     QStringLiteral("SELECT ImageSeq, BallotSN FROM BallotImages WHERE SystemID = "
                                    "%1 AND BatchNo = %2 ORDER BY ImageSeq")
                         .arg(station)
                         .arg(batch),
                     {"ImageSeq", "BallotSN"});
            if (imageRows != expectedImages) {
                broken << QStringLiteral("station %1 batch %2: image rows [%3]")
                              .arg(station)
                              .arg(batch)
                              .arg(imageRows.join(QStringLiteral(", ")));
            }
        }
    }
    // Nothing beyond the stations' batches.
    for (const auto& [table, expected] : {std::pair{"Batches", qint64(stations) * batches},
                                          {"BallotImages", qint64(stations) * batches * images},
                                          {"SystemStatus", qint64(stations)}}) {
        const QStringList count =
            Rows(centre, QStringLiteral("SELECT COUNT(*) AS n FROM %1").arg(table), {"n"});
        if (count != QStringList{QString::number(expected)}) {
            broken << QStringLiteral("%1 holds %2 rows, not %3")
                          .arg(table, count.value(0))
                          .arg(expected);
        }
    }
    return broken;
}
