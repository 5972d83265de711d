#include "images/ImageNames.h"

#include <QDir>

namespace {

// VB's Format(n, "000"): at least `digits` digits, a minus sign in front of them.
QString AtLeastDigits(qint64 number, int digits) {
    const QString magnitude = QStringLiteral("%1").arg(qAbs(number), digits, 10, QChar(u'0'));
    return number < 0 ? u'-' + magnitude : magnitude;
}

}  // namespace

QString SerialPrefix(qint16 systemId, qint16 batchNo) {
    return QString::number(systemId) + AtLeastDigits(batchNo, 3);
}

QString ImageSerial(qint16 systemId, qint16 batchNo, qint32 sequence) {
    return SerialPrefix(systemId, batchNo) + AtLeastDigits(sequence, 5);
}

QString ImageFile(const QString& batchFolder, const QString& serial) {
    return batchFolder + serial + QStringLiteral(".tif");
}

QString BatchFolderName(const QString& intray, qint16 systemId, qint16 batchNo) {
    return intray + SerialPrefix(systemId, batchNo) + QDir::separator();
}
