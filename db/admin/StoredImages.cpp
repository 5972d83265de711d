#include "admin/StoredImages.h"

#include <stdexcept>

#include "database/Connection.h"
#include "database/Recordset.h"
#include "images/ImageSeal.h"

namespace {

// Images read per query: a few megabytes at most, and few round trips for a whole batch. The
// MariaDB driver keeps a whole result in memory, so a batch is never read in one query.
constexpr int kImagesPerRead = 16;

}  // namespace

QString BatchName(const BatchKey& batch) {
    return QStringLiteral("Station %1, batch %2").arg(batch.systemId).arg(batch.batchNo);
}

QList<BatchKey> ClosedBatches(Connection& connection, std::optional<int> systemId,
                              std::optional<int> batchNo) {
    QString query =
        QStringLiteral("SELECT SystemID, BatchNo FROM Batches WHERE EndTime IS NOT NULL");
    if (systemId) {
        query += QStringLiteral(" AND SystemID = %1").arg(*systemId);
    }
    if (batchNo) {
        query += QStringLiteral(" AND BatchNo = %1").arg(*batchNo);
    }
    Recordset rows;
    rows.Open(query + QStringLiteral(" ORDER BY SystemID, BatchNo"), connection);
    QList<BatchKey> batches;
    for (; !rows.Eof(); rows.MoveNext()) {
        batches.append({rows.Fields(QStringLiteral("SystemID")).Value().toInt(),
                        rows.Fields(QStringLiteral("BatchNo")).Value().toInt()});
    }
    if (batchNo && batches.isEmpty()) {
        throw std::runtime_error(
            (systemId
                 ? QStringLiteral("Station %1 has no closed batch %2 at the centre.")
                       .arg(*systemId)
                       .arg(*batchNo)
                 : QStringLiteral("No station has a closed batch %1 at the centre.").arg(*batchNo))
                .toStdString());
    }
    return batches;
}

void ForEachStoredImage(Connection& connection, const BatchKey& batch,
                        const std::function<void(const StoredImage&)>& each) {
    const QString query = QStringLiteral(
        "SELECT i.ImageSeq, i.BallotSN, i.Status, i.Error, s.SHA256 AS Seal, "
        "f.ImageSeq AS CopySeq, f.ImageData FROM BallotImages i "
        "LEFT JOIN ImageSeals s ON s.SystemID = i.SystemID AND s.BatchNo = i.BatchNo AND "
        "s.ImageSeq = i.ImageSeq "
        "LEFT JOIN ImageFiles f ON f.SystemID = i.SystemID AND f.BatchNo = i.BatchNo AND "
        "f.ImageSeq = i.ImageSeq "
        "WHERE i.SystemID = %1 AND i.BatchNo = %2 AND i.ImageSeq > %3 ORDER BY i.ImageSeq LIMIT "
        "%4");
    qint64 after = -1;
    for (int read = kImagesPerRead; read == kImagesPerRead;) {
        Recordset rows;
        rows.Open(query.arg(batch.systemId).arg(batch.batchNo).arg(after).arg(kImagesPerRead),
                  connection);
        for (read = 0; !rows.Eof(); rows.MoveNext(), ++read) {
            const auto field = [&](const char* name) {
                return rows.Fields(QLatin1String(name)).Value();
            };
            StoredImage image{field("ImageSeq").toInt(),
                              field("BallotSN").toString(),
                              field("Status"),
                              field("Error"),
                              field("Seal").toString().trimmed(),
                              !field("CopySeq").isNull(),
                              field("ImageData").toByteArray(),
                              {}};
            if (image.hasCopy) {
                image.copySeal = QString::fromStdString(
                    SealOfBytes({image.copy.constData(), std::size_t(image.copy.size())}));
            }
            after = image.sequence;
            each(image);
        }
    }
}

std::vector<std::string> SealsOf(Connection& connection, const BatchKey& batch) {
    Recordset rows;
    rows.Open(QStringLiteral("SELECT SHA256 FROM ImageSeals WHERE SystemID = %1 AND BatchNo = %2 "
                             "ORDER BY ImageSeq")
                  .arg(batch.systemId)
                  .arg(batch.batchNo),
              connection);
    std::vector<std::string> seals;
    for (; !rows.Eof(); rows.MoveNext()) {
        seals.push_back(
            rows.Fields(QStringLiteral("SHA256")).Value().toString().trimmed().toStdString());
    }
    return seals;
}
