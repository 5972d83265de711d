#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>

// One line of a station's audit log. The hash chains the line to the one before it: SHA-256 over
// the previous line's hash (hex) followed by the line's compact JSON without the "hash" member.
// Qt writes an object's members sorted by name, so the bytes hashed come back the same when a
// reader parses the line and writes it again.
namespace audit {

// The hash that the first line of a log follows.
inline const QByteArray kFirstPreviousHash(64, '0');

struct AuditRecord {
    QString time;  // UTC, ISO 8601 with milliseconds
    int station = 0;
    QString operatorId;
    qint64 sequence = 0;
    QString event;
    QJsonObject details;
};

// The hex SHA-256 of previousHash followed by the record's unhashed JSON.
QByteArray RecordHash(const QByteArray& previousHash, const QJsonObject& unhashed);

// The whole line, newline included, for a record that follows previousHash; hash receives the
// line's own hash.
QByteArray RecordLine(const AuditRecord& record, const QByteArray& previousHash, QByteArray& hash);

// The record of a line, or false when the line is not a record of this log.
bool ParseRecordLine(const QByteArray& line, AuditRecord& record, QByteArray& hash,
                     QJsonObject& unhashed);

}  // namespace audit
