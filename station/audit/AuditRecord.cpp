#include "audit/AuditRecord.h"

#include <QCryptographicHash>
#include <QJsonDocument>

namespace audit {

namespace {

QJsonObject Unhashed(const AuditRecord& record) {
    return {
        {"time", record.time},    {"station", record.station}, {"operator", record.operatorId},
        {"seq", record.sequence}, {"event", record.event},     {"details", record.details},
    };
}

}  // namespace

QByteArray RecordHash(const QByteArray& previousHash, const QJsonObject& unhashed) {
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(previousHash);
    hash.addData(QJsonDocument(unhashed).toJson(QJsonDocument::Compact));
    return hash.result().toHex();
}

QByteArray RecordLine(const AuditRecord& record, const QByteArray& previousHash, QByteArray& hash) {
    QJsonObject line = Unhashed(record);
    hash = RecordHash(previousHash, line);
    line.insert("hash", QString::fromLatin1(hash));
    return QJsonDocument(line).toJson(QJsonDocument::Compact) + '\n';
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
    if (!hashValue.isString() || !sequence.isDouble() || !unhashed.value("event").isString() ||
        !unhashed.value("time").isString() || !unhashed.value("details").isObject()) {
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

}  // namespace audit
