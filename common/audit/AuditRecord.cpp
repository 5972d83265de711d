#include "audit/AuditRecord.h"

#include <QCryptographicHash>
#include <QJsonDocument>
#include <QRandomGenerator>
#include <QRegularExpression>

namespace audit {

namespace {

QJsonObject Unhashed(const AuditRecord& record) {
    return {
        {"time", record.time},    {"station", record.station}, {"operator", record.operatorId},
        {"seq", record.sequence}, {"event", record.event},     {"details", record.details},
    };
}

QByteArray Compact(const QJsonObject& object) {
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

QByteArray CanonicalBytes(QJsonObject unhashed, const QByteArray& hash) {
    unhashed.insert("hash", QString::fromLatin1(hash));
    return Compact(unhashed);
}

bool IsHexDigits(const QString& text, qsizetype length) {
    static const QRegularExpression hex(QStringLiteral("^[0-9a-f]*$"));
    return text.size() == length && hex.match(text).hasMatch();
}

bool IsWholeNumber(const QJsonValue& value) {
    return value.isDouble() && value.toDouble() == double(value.toInteger());
}

}  // namespace

QByteArray RecordHash(const QByteArray& previousHash, const QJsonObject& unhashed) {
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(previousHash);
    hash.addData(Compact(unhashed));
    return hash.result().toHex();
}

QByteArray RecordLine(const AuditRecord& record, const QByteArray& previousHash, QByteArray& hash) {
    const QJsonObject unhashed = Unhashed(record);
    hash = RecordHash(previousHash, unhashed);
    return CanonicalBytes(unhashed, hash) + '\n';
}

bool ParseRecordLine(const QByteArray& line, AuditRecord& record, QByteArray& hash,
                     QJsonObject& unhashed) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(line, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        return false;
    }
    unhashed = document.object();
    const QJsonValue hashValue = unhashed.take("hash");
    const QJsonValue sequence = unhashed.value("seq");
    if (unhashed.size() != 6 || !IsHexDigits(hashValue.toString(), 64) ||
        !IsWholeNumber(sequence) || sequence.toInteger() < 1 ||
        !IsWholeNumber(unhashed.value("station")) || !unhashed.value("operator").isString() ||
        !unhashed.value("event").isString() || !unhashed.value("time").isString() ||
        !unhashed.value("details").isObject()) {
        return false;
    }
    hash = hashValue.toString().toLatin1();
    record.time = unhashed.value("time").toString();
    record.station = unhashed.value("station").toInt();
    record.operatorId = unhashed.value("operator").toString();
    record.sequence = sequence.toInteger();
    record.event = unhashed.value("event").toString();
    record.details = unhashed.value("details").toObject();
    return true;
}

bool IsCanonicalLine(const QByteArray& line, const QJsonObject& unhashed, const QByteArray& hash) {
    return line == CanonicalBytes(unhashed, hash);
}

QString NamedLogId(const AuditRecord& record) {
    const QString id = record.details.value("log_id").toString();
    return record.event == kLogOpenedEvent && IsHexDigits(id, 32) ? id : QString();
}

QString CappedText(const QString& text) {
    if (text.size() <= kFreeTextLimit) {
        return text;
    }
    qsizetype keep = kFreeTextLimit - 1;
    if (text.at(keep - 1).isHighSurrogate()) {
        --keep;  // never half a character
    }
    return text.left(keep) + QChar(0x2026);
}

QString NewLogId() {
    quint32 words[4];
    QRandomGenerator::system()->fillRange(words);
    return QString::fromLatin1(
        QByteArray(reinterpret_cast<const char*>(words), sizeof words).toHex());
}

}  // namespace audit
