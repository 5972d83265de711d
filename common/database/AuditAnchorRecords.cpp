// The station's anchors in AuditAnchors: its audit log's latest record, kept at the centre where
// the station's account may add rows but never change or remove them. A MariaDB connection takes
// backslashes literally (NO_BACKSLASH_ESCAPES), so the record's line arrives byte for byte.

#include <pwd.h>
#include <unistd.h>

#include <QDateTime>

#include "database/Connection.h"
#include "database/LHDataAbstraction.h"
#include "database/OnConnection.h"
#include "database/SQLUtilities.h"

namespace {

// The operating-system account the station runs under. A MariaDB centre puts the database
// account in its place; an SQLite database, which has no accounts, keeps this one.
QString StationAccount() {
    const passwd* entry = ::getpwuid(::geteuid());
    return entry ? QString::fromLocal8Bit(entry->pw_name) : QString::number(::geteuid());
}

}  // namespace

bool AddAuditAnchor(const QString& connectString, qint16 systemId, const QString& logId,
                    qint64 sequence, const QString& hash, const QString& line) {
    int affected = 0;
    OnConnection(connectString, [&](Connection& connection) {
        affected = connection.Execute(
            QStringLiteral("INSERT INTO AuditAnchors(SystemID,LogID,Sequence,Hash,AnchoredAt,"
                           "Account,RecordLine) VALUES (") +
            QString::number(systemId) + QStringLiteral(",'") + DoubleSqlQuotes(logId) +
            QStringLiteral("',") + QString::number(sequence) + QStringLiteral(",'") +
            DoubleSqlQuotes(hash) + QStringLiteral("','") +
            QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) +
            QStringLiteral("','") + DoubleSqlQuotes(StationAccount()) + QStringLiteral("','") +
            DoubleSqlQuotes(line) + QStringLiteral("')"));
    });
    return affected == 1;
}
