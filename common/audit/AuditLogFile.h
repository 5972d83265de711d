#pragma once

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>

#include "audit/AuditRecord.h"

// Reading a station's audit log back, for installers and auditors.
namespace audit {

struct Verification {
    qint64 verified = 0;    // records whose chain and sequence hold, from the first on
    qint64 brokenLine = 0;  // 1-based line of the first record that breaks them; 0: none
    QString problem;
};

// Checks every line: a record in its canonical form, its hash over the previous line's hash and
// itself, and its sequence number one above the previous one, starting at 1.
Verification VerifyAuditLog(const QString& path);

// What a log file holds for checking it against the centre's anchors: every record that can be
// read, wherever the chain breaks.
struct AnchorableLog {
    QString path;
    QString logId;                     // named by its first record that names one; empty: none
    QSet<int> stations;                // the station numbers its records carry, 0 left out
    QHash<qint64, QByteArray> hashes;  // sequence number -> hash
    qint64 lastSequence = 0;
};
AnchorableLog ReadAnchorableLog(const QString& path);

// The records of a log in file order; lines that are not records are left out. Throws
// std::runtime_error when the file cannot be read.
QList<AuditRecord> ReadAuditLog(const QString& path);

}  // namespace audit
