#include "admin/StoredImages.h"

#include <algorithm>
#include <stdexcept>

#include "database/Connection.h"
#include "database/Recordset.h"
#include "images/ImageSeal.h"

namespace {

// The MariaDB driver keeps a whole result in memory, so a batch is read a few megabytes to a
// query: the first query reads a few images, each next one as many as the images so far say fit.
// Each query costs milliseconds whatever its rows, so small images go many to a query.
constexpr int kFirstRead = 16;
constexpr int kMostImagesPerRead = 256;
constexpr qint64 kBytesPerRead = 8 << 20;

int NextRead(qint64 imagesSoFar, qint64 bytesSoFar) {
    return int(std::clamp<qint64>(kBytesPerRead * imagesSoFar / std::max<qint64>(bytesSoFar, 1), 1,
                                  kMostImagesPerRead));
}

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
    qint64 images = 0;
    qint64 bytes = 0;
    for (int asked = kFirstRead;; asked = NextRead(images, bytes)) {
        Recordset rows;
        rows.Open(query.arg(batch.systemId).arg(batch.batchNo).arg(after).arg(asked), connection);
        int read = 0;
        for (; !rows.Eof(); rows.MoveNext(), ++read) {
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
            ++images;
            bytes += image.copy.size();
            each(image);
        }
        if (read < asked) {
            break;
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
