#include "admin/AuditAnchorCheck.h"

#include <QDateTime>
#include <QMap>
#include <QStringList>

#include "database/Connection.h"
#include "database/Recordset.h"
#include "database/SqlDateTime.h"

QList<Anchor> AnchorsOf(Connection& connection, const QList<int>& stations) {
    QStringList numbers;
    for (const int station : stations) {
        numbers << QString::number(station);
    }
    Recordset rows;
    rows.Open(QStringLiteral("SELECT SystemID, LogID, Sequence, Hash, AnchoredAt, Account, "
                             "RecordLine FROM AuditAnchors WHERE SystemID IN (%1) ORDER BY "
                             "SystemID, LogID, Sequence, AnchorKey")
                  .arg(numbers.join(u',')),
              connection);
    QList<Anchor> anchors;
    for (; !rows.Eof(); rows.MoveNext()) {
        const auto text = [&](const char* column) {
            return rows.Fields(QLatin1String(column)).Value().toString().trimmed();
        };
        const QVariant at = rows.Fields(QStringLiteral("AnchoredAt")).Value();
        const QDateTime moment = SqlDateTimeValue(at);
        const QString atText = moment.isValid()
                                   ? moment.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
                                   : at.toString();
        anchors.append({text("SystemID").toInt(), text("LogID"), text("Sequence").toLongLong(),
                        text("Hash").toLatin1(), atText,
                        QStringLiteral("at %1 UTC by %2").arg(atText, text("Account")),
                        rows.Fields(QStringLiteral("RecordLine")).Value().toString().toUtf8()});
    }
    return anchors;
}

std::optional<audit::AuditRecord> RecordOfAnchor(const Anchor& anchor) {
    audit::AuditRecord record;
    QByteArray hash;
    QJsonObject unhashed;
    if (anchor.line.isEmpty() || !audit::ParseRecordLine(anchor.line, record, hash, unhashed) ||
        !audit::IsCanonicalLine(anchor.line, unhashed, hash) || hash != anchor.hash ||
        record.sequence != anchor.sequence) {
        return std::nullopt;
    }
    return record;
}

namespace {

// Whether the anchored line is the file's record: chained to the record before it in the file,
// it gives the anchored hash.
bool LineIsFileRecord(const Anchor& anchor, const audit::AnchorableLog& file) {
    audit::AuditRecord record;
    QByteArray hash;
    QJsonObject unhashed;
    const QByteArray previous =
        anchor.sequence == 1 ? audit::kFirstPreviousHash : file.hashes.value(anchor.sequence - 1);
    return audit::ParseRecordLine(anchor.line, record, hash, unhashed) &&
           audit::IsCanonicalLine(anchor.line, unhashed, hash) &&
           audit::RecordHash(previous, unhashed) == anchor.hash;
}

using LogsById = QMap<QString, const audit::AnchorableLog*>;
// How many anchors a file's log has, and the highest record they vouch for.
using Vouched = QMap<const audit::AnchorableLog*, std::pair<int, qint64>>;

// The files by their log id, the first of each; a note for each file that names none.
LogsById FilesByLogId(const QList<audit::AnchorableLog>& files, QStringList& notes) {
    LogsById byLogId;
    for (const audit::AnchorableLog& file : files) {
        if (file.logId.isEmpty()) {
            notes << QStringLiteral(
                         "%1 names no log id (it was written before logs named "
                         "themselves): no anchor vouches for it.")
                         .arg(file.path);
        } else if (!byLogId.contains(file.logId)) {
            byLogId.insert(file.logId, &file);
        }
    }
    return byLogId;
}

// What is wrong with the file against one of its log's anchors; nothing when it holds.
std::optional<QString> AnchorFinding(const Anchor& anchor, const audit::AnchorableLog& file) {
    const QString record = QStringLiteral("%1: record %2, anchored %3,")
                               .arg(file.path)
                               .arg(anchor.sequence)
                               .arg(anchor.anchored);
    if (!file.hashes.contains(anchor.sequence)) {
        return anchor.sequence > file.lastSequence
                   ? QStringLiteral(
                         "%1 is missing: the log ends at record %2, "
                         "so records were cut off its end.")
                         .arg(record)
                         .arg(file.lastSequence)
                   : QStringLiteral(
                         "%1 is missing or unreadable: it was removed "
                         "or damaged.")
                         .arg(record);
    }
    if (file.hashes.value(anchor.sequence) != anchor.hash) {
        return QStringLiteral(
                   "%1 does not carry the anchored hash: the log was rewritten "
                   "at or before that record.")
            .arg(record);
    }
    if (!anchor.line.isEmpty() &&
        (anchor.sequence == 1 || file.hashes.contains(anchor.sequence - 1)) &&
        !LineIsFileRecord(anchor, file)) {
        return QStringLiteral(
                   "%1 is not the line anchored at the centre: that line was "
                   "made up by whoever added the anchor.")
            .arg(record);
    }
    return std::nullopt;
}

// A finding for each anchored log of which no file was given.
QStringList UnmatchedLogFindings(const QMap<QString, QList<Anchor>>& unmatched) {
    QStringList findings;
    for (auto it = unmatched.cbegin(); it != unmatched.cend(); ++it) {
        const Anchor& latest = it.value().last();
        findings << QStringLiteral(
                        "Station %1's log %2 has %3 anchor(s), the latest for record %4 "
                        "%5, but no file given is that log: it was deleted or replaced, "
                        "or left out of this check.")
                        .arg(latest.station)
                        .arg(it.key())
                        .arg(it.value().size())
                        .arg(latest.sequence)
                        .arg(latest.anchored);
    }
    return findings;
}

// What the anchors vouch for, file by file.
QStringList VouchedNotes(const QList<audit::AnchorableLog>& files, const LogsById& byLogId,
                         const Vouched& vouched) {
    QStringList notes;
    for (const audit::AnchorableLog& file : files) {
        if (file.logId.isEmpty() || byLogId.value(file.logId) != &file) {
            continue;
        }
        const auto [count, highest] = vouched.value(&file);
        notes << (count == 0 ? QStringLiteral("%1: log %2 has no anchor at the centre; "
                                              "nothing there vouches for it.")
                                   .arg(file.path, file.logId)
                             : QStringLiteral("%1: log %2, %3 anchor(s) checked, records "
                                              "up to %4 vouched for, %5 after the last "
                                              "anchor that holds.")
                                   .arg(file.path, file.logId)
                                   .arg(count)
                                   .arg(highest)
                                   .arg(std::max<qint64>(0, file.lastSequence - highest)));
    }
    return notes;
}

}  // namespace

AnchorCheck CheckAuditAnchors(Connection& connection, const QList<audit::AnchorableLog>& files,
                              const QList<int>& stations) {
    AnchorCheck check;
    if (stations.isEmpty()) {
        check.findings << QStringLiteral(
            "The files name no station, so no anchor can be checked; give --system-id.");
        return check;
    }
    const LogsById byLogId = FilesByLogId(files, check.notes);
    QMap<QString, QList<Anchor>> unmatched;  // by log id, of logs for which no file was given
    Vouched vouched;
    for (const Anchor& anchor : AnchorsOf(connection, stations)) {
        const audit::AnchorableLog* file = byLogId.value(anchor.logId);
        if (!file) {
            unmatched[anchor.logId].append(anchor);
            continue;
        }
        auto& [count, highest] = vouched[file];
        ++count;
        if (file->hashes.value(anchor.sequence) == anchor.hash) {
            highest = std::max(highest, anchor.sequence);
        }
        if (const std::optional<QString> finding = AnchorFinding(anchor, *file)) {
            check.findings << *finding;
        }
    }
    check.findings << UnmatchedLogFindings(unmatched);
    check.notes << VouchedNotes(files, byLogId, vouched);
    return check;
}
