#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>

// One line of a station's audit log. The hash chains the line to the one before it: SHA-256 over
// the previous line's hash (hex) followed by the line's compact JSON without the "hash" member.
// A line is exactly its record's canonical form: Qt's compact JSON of the object, members sorted
// by name, which an auditor can rebuild byte for byte in any language (docs/audit-and-evidence.md
// shows how).
namespace audit {

// The hash that the first line of a log follows.
inline const QByteArray kFirstPreviousHash(64, '0');

// The event of the record that opens a log and names its log id (detail "log_id").
inline const QString kLogOpenedEvent = QStringLiteral("audit-log-opened");

// Free text in a record (a typed user id, an error description) is cut to this many characters.
constexpr qsizetype kFreeTextLimit = 256;

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

// The record of a line (without its newline), or false when the line is not a record of this
// log: the members time, station, operator, seq (from 1), event, details and hash (64 lower-case
// hex digits), no other.
bool ParseRecordLine(const QByteArray& line, AuditRecord& record, QByteArray& hash,
                     QJsonObject& unhashed);

// Whether the line (without its newline) is byte for byte the canonical form of its record.
bool IsCanonicalLine(const QByteArray& line, const QJsonObject& unhashed, const QByteArray& hash);

// The log id that a record names when it opens a log; empty for any other record.
QString NamedLogId(const AuditRecord& record);

// text, cut to kFreeTextLimit characters, the last of them an ellipsis when it was cut.
QString CappedText(const QString& text);

// A new random log id: 32 hex digits.
QString NewLogId();

}  // namespace audit
