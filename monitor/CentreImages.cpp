#include "CentreImages.h"

#include <QVariant>

#include "CentreReader.h"
#include "database/Recordset.h"

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
    CentreReader tables(connection_);
    keepsFiles_ = tables.HasTable(QStringLiteral("ImageFiles"));
    keepsSeals_ = tables.HasTable(QStringLiteral("ImageSeals"));
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
    // The same keys on every table: a batch's rows by station and batch, an image by its
    // sequence.
    const QString sameImage = QStringLiteral(
        " ON %1.SystemID = i.SystemID AND %1.BatchNo = i.BatchNo AND %1.ImageSeq = i.ImageSeq");
    QString columns = QStringLiteral("i.ImageSeq, i.BallotSN, i.Status, i.Error");
    QString joins;
    columns += keepsSeals_ ? QStringLiteral(", s.SHA256") : QStringLiteral(", NULL AS SHA256");
    if (keepsSeals_) {
        joins += QStringLiteral(" LEFT JOIN ImageSeals s") + sameImage.arg(u's');
    }
    // The length of a stored value, not its bytes, leaves the server.
    columns += keepsFiles_ ? QStringLiteral(", LENGTH(f.ImageData) AS Size")
                           : QStringLiteral(", NULL AS Size");
    if (keepsFiles_) {
        joins += QStringLiteral(" LEFT JOIN ImageFiles f") + sameImage.arg(u'f');
    }
    Recordset rows;
    rows.Open(QStringLiteral("SELECT %1 FROM BallotImages i%2 WHERE i.SystemID = %3 AND "
                             "i.BatchNo = %4 ORDER BY i.ImageSeq")
                  .arg(columns, joins)
                  .arg(systemId)
                  .arg(batchNo),
              connection_);
    QList<ImageRow> images;
    for (; !rows.Eof(); rows.MoveNext()) {
        ImageRow image;
        image.sequence = rows.Fields(QStringLiteral("ImageSeq")).Value().toInt();
        image.serial = OptionalNumber(rows, QStringLiteral("BallotSN"));
        const auto status = OptionalNumber(rows, QStringLiteral("Status"));
        const auto error = OptionalNumber(rows, QStringLiteral("Error"));
        image.status = status ? std::optional<int>(int(*status)) : std::nullopt;
        image.error = error ? std::optional<int>(int(*error)) : std::nullopt;
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
