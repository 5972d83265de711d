#include "scanning/CentreCopyInserts.h"

#include <utility>

#include "database/Connection.h"

namespace {

// The seals go to the centre five hundred rows to a statement: each statement is a commit of its
// own, which costs the pass more than the rows do.
constexpr int SealsPerStatement = 500;

// The images' bytes go as bound values, up to sixteen images and 8 MB to a statement: spelt out in
// the statement they would double in size and be parsed, a statement per image costs a round trip
// per image, and a statement must stay within the server's max_allowed_packet. The statements
// repeat from batch to batch, so each is prepared once per pass. The seal goes as bytes too and
// becomes text in the database (MariaDB's driver takes a bound text for longer than it is).
constexpr int ImagesPerStatement = 16;
constexpr qsizetype BytesPerStatement = 8 << 20;
constexpr int ValuesPerCopy = 5;

QString SealInsert(const QStringList& values) {
    return QStringLiteral(
               "INSERT INTO ImageSeals(SystemID,BatchNo,ImageSeq,BallotSN,SHA256) "
               "VALUES ") +
           values.join(u',');
}

QString CopyInsert(qsizetype images) {
    QStringList rows(images, QStringLiteral("(?,?,?,CAST(? AS CHAR(64)),?)"));
    return QStringLiteral(
               "INSERT INTO ImageFiles(SystemID,BatchNo,ImageSeq,SHA256,ImageData) "
               "VALUES ") +
           rows.join(u',');
}

}  // namespace

void CentreCopyInserts::AddSeal(qint32 sequence, qint32 serial, const std::string& seal,
                                bool lastImage) {
    sealValues_.append(QStringLiteral("(%1,%2,%3,%4,'%5')")
                           .arg(systemId_)
                           .arg(batchNo_)
                           .arg(sequence)
                           .arg(serial)
                           .arg(QLatin1StringView(seal)));
    if (sealValues_.size() == SealsPerStatement || lastImage) {
        connection_.Execute(SealInsert(std::exchange(sealValues_, {})));
    }
}

void CentreCopyInserts::AddCopy(qint32 sequence, const std::string& seal, const QByteArray& bytes,
                                bool lastImage) {
    copyValues_ << int{systemId_} << int{batchNo_} << sequence << QByteArray::fromStdString(seal)
                << bytes;
    copyBytes_ += bytes.size();
    if (copyValues_.size() == ImagesPerStatement * ValuesPerCopy ||
        copyBytes_ >= BytesPerStatement || lastImage) {
        const QString insert = CopyInsert(copyValues_.size() / ValuesPerCopy);
        connection_.Execute(insert, std::exchange(copyValues_, {}));
        copyBytes_ = 0;
    }
}
