#include "admin/MonitorAccount.h"

#include <stdexcept>

#include "admin/CentreDatabase.h"
#include "admin/StationAccounts.h"
#include "database/Connection.h"
#include "database/Recordset.h"
#include "database/TableExists.h"

namespace {

// The monitor's tables that the database holds; the audit tables and the image files come with
// later releases of the centre's schema, so an older database lacks them.
QStringList PresentTables(Connection& connection, const QString& database) {
    QStringList present;
    for (const QString& table : MonitorTables()) {
        if (TableExists(connection, table, database)) {
            present << table;
        }
    }
    for (const char* required : {"SystemStatus", "Batches", "BallotImages"}) {
        if (!present.contains(QLatin1String(required))) {
            throw std::invalid_argument("the database " + database.toStdString() +
                                        " has no table " + required +
                                        "; create the centre's database first (create-centre)");
        }
    }
    return present;
}

}  // namespace

const QStringList& MonitorTables() {
    static const QStringList tables = {"SystemStatus", "Batches",    "BallotImages", "AuditAnchors",
                                       "ImageSeals",   "ImageFiles", "Backups"};
    return tables;
}

QString AddMonitorAccount(Connection& connection, const QString& database, const QString& name,
                          const QString& host, bool replace, QStringList& granted) {
    CheckDatabaseName(database);
    granted = PresentTables(connection, database);
    QList<TablePrivileges> reading;
    for (const QString& table : granted) {
        reading.append({table, {QStringLiteral("SELECT")}});
    }
    return AddServerAccount(connection, database, name, host, reading, replace,
                            QStringLiteral("monitor's"));
}
