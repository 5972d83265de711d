#include "CentreImages.h"

#include <QVariant>

#include "database/Recordset.h"
#include "database/TableExists.h"

namespace {

std::optional<qint64> OptionalNumber(const Recordset& rows, const QString& column) {
    const QVariant value = rows.Fields(column).Value();
    return value.isNull() ? std::nullopt : std::optional<qint64>(value.toLongLong());
}

QString OfImage(int systemId, int batchNo, int sequence) {
    return QStringLiteral("i.SystemID = %1 AND i.BatchNo = %2 AND i.ImageSeq = %3")
        .arg(systemId)
        .arg(batchNo)
        .arg(sequence);
}

}  // namespace

CentreImages::CentreImages(const QString& connectString) {
    connection_.Open(connectString);
    keepsFiles_ = TableExists(connection_, QStringLiteral("ImageFiles"));
    keepsSeals_ = TableExists(connection_, QStringLiteral("ImageSeals"));
}

bool CentreImages::HasBatch(int systemId, int batchNo) {
    Recordset rows;
    rows.Open(QStringLiteral("SELECT BatchNo FROM Batches WHERE SystemID = %1 AND BatchNo = %2")
                  .arg(systemId)
                  .arg(batchNo),
              connection_);
    return !rows.Eof();
}

QList<ImageRow> CentreImages::Images(int systemId, int batchNo) {
    // Seal and file joined on the image's keys; the length of the file, not its bytes, leaves
    // the server.
    const QString statement = QStringLiteral(
        "SELECT i.ImageSeq, i.BallotSN, i.Status, i.Error, %1 AS SHA256, %2 AS Size FROM "
        "BallotImages i%3%4 WHERE i.SystemID = %5 AND i.BatchNo = %6 ORDER BY i.ImageSeq");
    const QString sameImage = QStringLiteral(
        " ON %1.SystemID = i.SystemID AND %1.BatchNo = i.BatchNo AND %1.ImageSeq = i.ImageSeq");
    Recordset rows;
    rows.Open(statement
                  .arg(keepsSeals_ ? QStringLiteral("s.SHA256") : QStringLiteral("NULL"),
                       keepsFiles_ ? QStringLiteral("LENGTH(f.ImageData)") : QStringLiteral("NULL"),
                       keepsSeals_ ? QStringLiteral(" LEFT JOIN ImageSeals s") +
                                         sameImage.arg(QStringLiteral("s"))
                                   : QString(),
                       keepsFiles_ ? QStringLiteral(" LEFT JOIN ImageFiles f") +
                                         sameImage.arg(QStringLiteral("f"))
                                   : QString())
                  .arg(systemId)
                  .arg(batchNo),
              connection_);
    QList<ImageRow> images;
    for (; !rows.Eof(); rows.MoveNext()) {
        ImageRow image;
        image.sequence = rows.Fields(QStringLiteral("ImageSeq")).Value().toInt();
        image.serial = OptionalNumber(rows, QStringLiteral("BallotSN"));
        image.status = OptionalNumber(rows, QStringLiteral("Status"));
        image.error = OptionalNumber(rows, QStringLiteral("Error"));
        image.sha256 = rows.Fields(QStringLiteral("SHA256")).Value().toString().trimmed();
        image.size = OptionalNumber(rows, QStringLiteral("Size"));
        images.append(image);
    }
    return images;
}

StoredImage CentreImages::File(int systemId, int batchNo, int sequence) {
    StoredImage image;
    Recordset rows;
    rows.Open(QStringLiteral("SELECT %1 AS Size FROM BallotImages i%2 WHERE %3")
                  .arg(keepsFiles_ ? QStringLiteral("LENGTH(f.ImageData)") : QStringLiteral("NULL"),
                       keepsFiles_ ? QStringLiteral(" LEFT JOIN ImageFiles f ON f.SystemID = "
                                                    "i.SystemID AND f.BatchNo = i.BatchNo AND "
                                                    "f.ImageSeq = i.ImageSeq")
                                   : QString(),
                       OfImage(systemId, batchNo, sequence)),
              connection_);
    if (rows.Eof()) {
        return image;
    }
    const std::optional<qint64> size = OptionalNumber(rows, QStringLiteral("Size"));
    rows.Close();
    if (!size) {
        image.found = StoredImage::Found::NotAtCentre;
        return image;
    }
    if (*size > kMostImageFileBytes) {
        image.found = StoredImage::Found::TooLarge;
        return image;
    }
    // The bytes alone, in a column of their own type, so that both drivers hand them over as
    // they are.
    rows.Open(QStringLiteral("SELECT ImageData FROM ImageFiles WHERE SystemID = %1 AND BatchNo "
                             "= %2 AND ImageSeq = %3")
                  .arg(systemId)
                  .arg(batchNo)
                  .arg(sequence),
              connection_);
    if (rows.Eof()) {
        image.found = StoredImage::Found::NotAtCentre;  // deleted between the two readings
        return image;
    }
    image.bytes = rows.Fields(QStringLiteral("ImageData")).Value().toByteArray();
    image.found = StoredImage::Found::Bytes;
    return image;
}
