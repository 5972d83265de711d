#include "StationAccounts.h"

#include <QRandomGenerator>
#include <stdexcept>

#include "admin/CentreDatabase.h"
#include "database/Connection.h"
#include "database/Recordset.h"
#include "database/TableExists.h"

namespace {

// Letters and digits only, so that the password needs no quoting in a data source file or a
// connect string. 24 of 62 symbols are about 143 bits.
QString NewAccountPassword() {
    static const QString symbols =
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789");
    QString password;
    for (int i = 0; i < 24; ++i) {
        password += symbols.at(QRandomGenerator::system()->bounded(int(symbols.size())));
    }
    return password;
}

bool ServerAccountExists(Connection& connection, const QString& name, const QString& host) {
    Recordset rows;
    rows.Open(QStringLiteral("SELECT User FROM mysql.user WHERE User = %1 AND Host = %2")
                  .arg(SqlText(name), SqlText(host)),
              connection);
    return !rows.Eof();
}

// Grants need the tables; without them the account would be created but given nothing.
void RequireTables(Connection& connection, const QString& database) {
    for (const TablePrivileges& table : StationPrivileges()) {
        if (!TableExists(connection, table.table, database)) {
            throw std::invalid_argument("the database " + database.toStdString() +
                                        " has no table " + table.table.toStdString() +
                                        "; create the centre's database first (create-centre)");
        }
    }
}

}  // namespace

const QList<TablePrivileges>& StationPrivileges() {
    static const QStringList readWrite = {"SELECT", "INSERT", "UPDATE", "DELETE"};
    static const QList<TablePrivileges> privileges = {
        {QStringLiteral("Users"), {QStringLiteral("SELECT")}},
        {QStringLiteral("Batches"), readWrite},
        {QStringLiteral("BallotImages"), readWrite},
        {QStringLiteral("SystemStatus"), readWrite},
        // Anchors are added, never changed or removed, and the station reads none back.
        {QStringLiteral("AuditAnchors"), {QStringLiteral("INSERT")}},
        // A batch's seals go with its other rows; a seal is never changed.
        {QStringLiteral("ImageSeals"),
         {QStringLiteral("SELECT"), QStringLiteral("INSERT"), QStringLiteral("DELETE")}},
        // The bytes of the batch's images, likewise.
        {QStringLiteral("ImageFiles"),
         {QStringLiteral("SELECT"), QStringLiteral("INSERT"), QStringLiteral("DELETE")}},
    };
    return privileges;
}

QString StationAccount::Quoted() const {
    return SqlText(Name()) + u'@' + SqlText(host);
}

QString AddServerAccount(Connection& connection, const QString& database, const QString& name,
                         const QString& host, const QList<TablePrivileges>& privileges,
                         bool replace, const QString& whose) {
    const QString account = SqlText(name) + u'@' + SqlText(host);
    const QString password = NewAccountPassword();
    if (!ServerAccountExists(connection, name, host)) {
        connection.Execute(
            QStringLiteral("CREATE USER %1 IDENTIFIED BY %2").arg(account, SqlText(password)));
    } else if (!replace) {
        throw std::invalid_argument("the account " + account.toStdString() +
                                    " already exists; use --replace to give it a new password "
                                    "and the " +
                                    whose.toStdString() + " privileges again");
    } else {
        connection.Execute(
            QStringLiteral("ALTER USER %1 IDENTIFIED BY %2").arg(account, SqlText(password)));
        connection.Execute(
            QStringLiteral("REVOKE ALL PRIVILEGES, GRANT OPTION FROM %1").arg(account));
    }
    for (const TablePrivileges& table : privileges) {
        connection.Execute(
            QStringLiteral("GRANT %1 ON `%2`.`%3` TO %4")
                .arg(table.privileges.join(QStringLiteral(", ")), database, table.table, account));
    }
    return password;
}

QString AddStationAccount(Connection& connection, const QString& database,
                          const StationAccount& account, bool replace) {
    CheckDatabaseName(database);
    RequireTables(connection, database);
    return AddServerAccount(connection, database, account.Name(), account.host, StationPrivileges(),
                            replace, QStringLiteral("station's"));
}

bool RemoveStationAccount(Connection& connection, const StationAccount& account) {
    if (!ServerAccountExists(connection, account.Name(), account.host)) {
        return false;
    }
    connection.Execute(QStringLiteral("DROP USER %1").arg(account.Quoted()));
    return true;
}
