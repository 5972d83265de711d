#pragma once

#include <QList>
#include <QString>

#include "audit/AuditRecord.h"

// Reading a station's audit log back, for installers and auditors.
namespace audit {

struct Verification {
    qint64 verified = 0;    // records whose chain and sequence hold, from the first on
    qint64 brokenLine = 0;  // 1-based line of the first record that breaks them; 0: none
    QString problem;
};

// Checks every line: a record, its hash over the previous line's hash and itself, and its
// sequence number one above the previous one, starting at 1.
Verification VerifyAuditLog(const QString& path);

// The records of a log in file order; lines that are not records are left out. Throws
// std::runtime_error when the file cannot be read.
QList<AuditRecord> ReadAuditLog(const QString& path);

}  // namespace audit
