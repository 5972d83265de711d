#include "audit/AuditLogFile.h"

#include <QFile>
#include <algorithm>
#include <stdexcept>

namespace audit {

namespace {

void OpenForReading(QFile& file) {
    if (!file.open(QIODevice::ReadOnly)) {
        throw std::runtime_error(file.fileName().toStdString() + ": " +
                                 file.errorString().toStdString());
    }
}

}  // namespace

Verification VerifyAuditLog(const QString& path) {
    QFile file(path);
    OpenForReading(file);
    Verification result;
    QByteArray previousHash = kFirstPreviousHash;
    qint64 lineNumber = 0;
    while (!file.atEnd()) {
        QByteArray line = file.readLine();
        ++lineNumber;
        const auto broken = [&](const QString& problem) {
            result.brokenLine = lineNumber;
            result.problem = problem;
            return result;
        };
        if (!line.endsWith('\n')) {
            return broken(QStringLiteral("the line is not complete"));
        }
        line.chop(1);
        AuditRecord record;
        QByteArray hash;
        QJsonObject unhashed;
        if (!ParseRecordLine(line, record, hash, unhashed)) {
            return broken(QStringLiteral("not a record of the audit log"));
        }
        if (!IsCanonicalLine(line, unhashed, hash)) {
            return broken(QStringLiteral(
                "the line is not written exactly as its record's canonical form (spacing, "
                "escapes, number forms or member order differ)"));
        }
        if (record.sequence != result.verified + 1) {
            return broken(QStringLiteral("sequence number %1 where %2 was due")
                              .arg(record.sequence)
                              .arg(result.verified + 1));
        }
        if (RecordHash(previousHash, unhashed) != hash) {
            return broken(QStringLiteral(
                "the hash does not match: the record or one before it was changed, removed or "
                "moved"));
        }
        previousHash = hash;
        ++result.verified;
    }
    return result;
}

AnchorableLog ReadAnchorableLog(const QString& path) {
    QFile file(path);
    OpenForReading(file);
    AnchorableLog log{path, {}, {}, {}, 0};
    while (!file.atEnd()) {
        AuditRecord record;
        QByteArray hash;
        QJsonObject unhashed;
        if (!ParseRecordLine(file.readLine().trimmed(), record, hash, unhashed)) {
            continue;
        }
        if (log.logId.isEmpty()) {
            log.logId = NamedLogId(record);
        }
        if (record.station != 0) {
            log.stations.insert(record.station);
        }
        log.hashes.insert(record.sequence, hash);
        log.lastSequence = std::max(log.lastSequence, record.sequence);
    }
    return log;
}

QList<AuditRecord> ReadAuditLog(const QString& path) {
    QFile file(path);
    OpenForReading(file);
    QList<AuditRecord> records;
    while (!file.atEnd()) {
        AuditRecord record;
        QByteArray hash;
        QJsonObject unhashed;
        if (ParseRecordLine(file.readLine().trimmed(), record, hash, unhashed)) {
            records.append(record);
        }
    }
    return records;
}

}  // namespace audit
