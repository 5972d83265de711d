#include "StationAccounts.h"

#include <QRandomGenerator>
#include <stdexcept>

#include "admin/CentreDatabase.h"
#include "database/Connection.h"
#include "database/Recordset.h"

namespace {

QString QuotedText(QString text) {
    return u'\'' + text.replace(u'\'', QStringLiteral("''")) + u'\'';
}

}  // namespace

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
                  .arg(QuotedText(name), QuotedText(host)),
              connection);
    return !rows.Eof();
}

namespace {

// Grants need the tables; without them the account would be created but given nothing.
void RequireTables(Connection& connection, const QString& database) {
    for (const TablePrivileges& table : StationPrivileges()) {
        Recordset rows;
        rows.Open(QStringLiteral("SELECT TABLE_NAME FROM information_schema.TABLES WHERE "
                                 "TABLE_SCHEMA = %1 AND TABLE_NAME = %2")
                      .arg(QuotedText(database), QuotedText(table.table)),
                  connection);
        if (rows.Eof()) {
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
    };
    return privileges;
}

QString StationAccount::Quoted() const {
    return QuotedText(Name()) + u'@' + QuotedText(host);
}

QString AddStationAccount(Connection& connection, const QString& database,
                          const StationAccount& account, bool replace) {
    CheckDatabaseName(database);
    RequireTables(connection, database);
    const QString password = NewAccountPassword();
    if (!ServerAccountExists(connection, account.Name(), account.host)) {
        connection.Execute(QStringLiteral("CREATE USER %1 IDENTIFIED BY %2")
                               .arg(account.Quoted(), QuotedText(password)));
    } else if (!replace) {
        throw std::invalid_argument(
            "the account " + account.Quoted().toStdString() +
            " already exists; use --replace to give it a new password and the station's "
            "privileges again");
    } else {
        connection.Execute(QStringLiteral("ALTER USER %1 IDENTIFIED BY %2")
                               .arg(account.Quoted(), QuotedText(password)));
        connection.Execute(
            QStringLiteral("REVOKE ALL PRIVILEGES, GRANT OPTION FROM %1").arg(account.Quoted()));
    }
    for (const TablePrivileges& table : StationPrivileges()) {
        connection.Execute(QStringLiteral("GRANT %1 ON `%2`.`%3` TO %4")
                               .arg(table.privileges.join(QStringLiteral(", ")), database,
                                    table.table, account.Quoted()));
    }
    return password;
}

bool RemoveStationAccount(Connection& connection, const StationAccount& account) {
    if (!ServerAccountExists(connection, account.Name(), account.host)) {
        return false;
    }
    connection.Execute(QStringLiteral("DROP USER %1").arg(account.Quoted()));
    return true;
}
