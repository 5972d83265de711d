#include "admin/BackupAccount.h"

#include <stdexcept>

#include "admin/CentreDatabase.h"
#include "admin/StationAccounts.h"
#include "database/Connection.h"
#include "database/TableExists.h"

QString AddBackupAccount(Connection& connection, const QString& database, const QString& name,
                         const QString& host, bool replace) {
    CheckDatabaseName(database);
    if (!TableExists(connection, QStringLiteral("Backups"), database)) {
        throw std::invalid_argument("the database " + database.toStdString() +
                                    " has no table Backups; bring the centre's database up to "
                                    "date first (create-centre)");
    }
    const QString password = AddServerAccount(
        connection, database, name, host, {{QStringLiteral("Backups"), {QStringLiteral("INSERT")}}},
        replace, QStringLiteral("backup account's"));
    // mariadb-backup holds the tables still for a moment (RELOAD, LOCK TABLES), watches the
    // server's work (PROCESS) and reads the binary log position (BINLOG MONITOR) and, on a
    // replica, the replication position (SLAVE MONITOR); RELOAD also closes the binary log.
    connection.Execute(
        QStringLiteral("GRANT RELOAD, PROCESS, LOCK TABLES, BINLOG MONITOR, SLAVE MONITOR ON *.* "
                       "TO %1@%2")
            .arg(SqlText(name), SqlText(host)));
    return password;
}
