#include "admin/MonitorAccount.h"

#include <stdexcept>

#include "admin/CentreDatabase.h"
#include "admin/StationAccounts.h"
#include "database/Connection.h"
#include "database/Recordset.h"

namespace {

QString QuotedText(QString text) {
    return u'\'' + text.replace(u'\'', QStringLiteral("''")) + u'\'';
}

// The monitor's tables that the database holds; the audit tables come with later releases of
// the centre's schema, so an older database lacks them.
QStringList PresentTables(Connection& connection, const QString& database) {
    QStringList present;
    for (const QString& table : MonitorTables()) {
        Recordset rows;
        rows.Open(QStringLiteral("SELECT TABLE_NAME FROM information_schema.TABLES WHERE "
                                 "TABLE_SCHEMA = %1 AND LOWER(TABLE_NAME) = %2")
                      .arg(QuotedText(database), QuotedText(table.toLower())),
                  connection);
        if (!rows.Eof()) {
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
    static const QStringList tables = {"SystemStatus", "Batches", "BallotImages", "AuditAnchors",
                                       "ImageSeals"};
    return tables;
}

QString AddMonitorAccount(Connection& connection, const QString& database, const QString& name,
                          const QString& host, bool replace, QStringList& granted) {
    CheckDatabaseName(database);
    granted = PresentTables(connection, database);
    const QString account = QuotedText(name) + u'@' + QuotedText(host);
    const QString password = NewAccountPassword();
    if (!ServerAccountExists(connection, name, host)) {
        connection.Execute(
            QStringLiteral("CREATE USER %1 IDENTIFIED BY %2").arg(account, QuotedText(password)));
    } else if (!replace) {
        throw std::invalid_argument("the account " + account.toStdString() +
                                    " already exists; use --replace to give it a new password "
                                    "and the monitor's privileges again");
    } else {
        connection.Execute(
            QStringLiteral("ALTER USER %1 IDENTIFIED BY %2").arg(account, QuotedText(password)));
        connection.Execute(
            QStringLiteral("REVOKE ALL PRIVILEGES, GRANT OPTION FROM %1").arg(account));
    }
    for (const QString& table : granted) {
        connection.Execute(
            QStringLiteral("GRANT SELECT ON `%1`.`%2` TO %3").arg(database, table, account));
    }
    return password;
}
