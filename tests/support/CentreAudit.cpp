#include "CentreAudit.h"

#include <QHash>
#include <QStringList>
#include <algorithm>
#include <iterator>

#include "database/Connection.h"
#include "database/Recordset.h"
#include "images/ImageNames.h"

namespace {

// Every row of a query, its columns joined by blanks.
QStringList Rows(const QString& connectString, const QString& query, const QStringList& columns) {
    Connection connection;
    connection.Open(connectString);
    Recordset rows;
    rows.Open(query, connection);
    QStringList values;
    for (; !rows.Eof(); rows.MoveNext()) {
        QStringList row;
        for (const QString& column : columns) {
            const QVariant value = rows.Fields(column).Value();
            row.append(value.isNull() ? QStringLiteral("NULL") : value.toString());
        }
        values.append(row.join(u' '));
    }
    return values;
}

int Count(const QStringList& list) {
    return static_cast<int>(list.size());
}

}  // namespace

int Lacking(QStringList from, QStringList in) {
    from.sort();
    in.sort();
    QStringList lacking;
    std::set_difference(from.begin(), from.end(), in.begin(), in.end(),
                        std::back_inserter(lacking));
    return Count(lacking);
}

QString CentreAudit::Summary() const {
    return QStringLiteral(
               "%1 batches closed; images %2 expected, %3 stored, %4 exactly once, %5 twice, "
               "%6 crossed, %7 missing, %8 extra; batch rows wrong %9, status rows wrong %10, "
               "files wrong %11")
        .arg(batchesClosed)
        .arg(imagesExpected)
        .arg(imagesStored)
        .arg(imagesOnce)
        .arg(imagesTwice)
        .arg(imagesCrossed)
        .arg(imagesMissing)
        .arg(imagesExtra)
        .arg(batchRowsWrong)
        .arg(statusRowsWrong)
        .arg(filesWrong);
}

CentreAudit AuditCentre(const QString& connectString, const std::vector<int>& closedBatches,
                        int ballots, const QString& status) {
    CentreAudit audit;
    QStringList images;
    QStringList batches;
    QStringList statuses;
    const int last = ballots + 1;
    for (size_t i = 0; i < closedBatches.size(); ++i) {
        const qint16 systemId = qint16(i + 1);
        statuses.append(QStringLiteral("%1 %2").arg(systemId).arg(status));
        for (qint16 batch = 1; batch <= closedBatches[i]; ++batch) {
            ++audit.batchesClosed;
            batches.append(QStringLiteral("%1 %2 %3 %4 closed 0 0")
                               .arg(systemId)
                               .arg(batch)
                               .arg(last + 1)
                               .arg(ballots));
            for (int sequence = 0; sequence <= last; ++sequence) {
                const int imageStatus = sequence == 0 ? 9 : sequence == last ? 10 : 0;
                images.append(QStringLiteral("%1 %2 %3 %4 %5 0")
                                  .arg(systemId)
                                  .arg(batch)
                                  .arg(sequence)
                                  .arg(ImageSerial(systemId, batch, sequence).toInt())
                                  .arg(imageStatus));
            }
        }
    }

    const QStringList stored =
        Rows(connectString,
             QStringLiteral("SELECT SystemID, BatchNo, ImageSeq, BallotSN, Status, Error FROM "
                            "BallotImages"),
             {"SystemID", "BatchNo", "ImageSeq", "BallotSN", "Status", "Error"});
    audit.imagesExpected = Count(images);
    audit.imagesStored = Count(stored);
    audit.imagesMissing = Lacking(images, stored);
    audit.imagesExtra = Lacking(stored, images);
    QHash<QString, int> times;
    for (const QString& row : stored) {
        ++times[row];
        const QStringList column = row.split(u' ');
        if (ImageSerial(qint16(column[0].toInt()), qint16(column[1].toInt()), column[2].toInt()) !=
            column[3]) {
            ++audit.imagesCrossed;
        }
    }
    for (const int count : times) {
        audit.imagesTwice += count - 1;
    }
    for (const QString& image : images) {
        audit.imagesOnce += times.value(image) == 1 ? 1 : 0;
    }

    const QStringList batchRows = Rows(
        connectString,
        QStringLiteral("SELECT SystemID, BatchNo, ImageCount, BallotCount, CASE WHEN EndTime "
                       "IS NULL THEN 'open' ELSE 'closed' END AS State, DELETED, "
                       "WAITINGREPAIR FROM Batches"),
        {"SystemID", "BatchNo", "ImageCount", "BallotCount", "State", "DELETED", "WAITINGREPAIR"});
    audit.batchRowsWrong = Lacking(batches, batchRows) + Lacking(batchRows, batches);
    const QStringList statusRows = Rows(
        connectString, QStringLiteral("SELECT SYSTEMID, STATUS, CURRENTTASK FROM SystemStatus"),
        {"SYSTEMID", "STATUS", "CURRENTTASK"});
    audit.statusRowsWrong = Lacking(statuses, statusRows) + Lacking(statusRows, statuses);
    return audit;
}
