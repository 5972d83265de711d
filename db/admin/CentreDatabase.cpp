#include "CentreDatabase.h"

#include <QRegularExpression>
#include <stdexcept>

#include "admin/Schema.h"
#include "database/Connection.h"
#include "database/DatabaseError.h"
#include "database/Recordset.h"

void CheckDatabaseName(const QString& name) {
    static const QRegularExpression valid(QStringLiteral("^[A-Za-z0-9_]{1,64}$"));
    if (!valid.match(name).hasMatch()) {
        throw std::invalid_argument("the database name \"" + name.toStdString() +
                                    "\" must be 1 to 64 letters, digits or underscores");
    }
}

QString SqlText(const QString& text) {
    return u'\'' + QString(text).replace(u'\'', QStringLiteral("''")) + u'\'';
}

void RequireCaseInsensitiveTableNames(Connection& connection) {
    Recordset setting;
    setting.Open(QStringLiteral("SELECT @@lower_case_table_names AS v"), connection);
    const QString value = setting.Fields(QStringLiteral("v")).Value().toString();
    if (value != u"1") {
        throw DatabaseError(
            QStringLiteral(
                "The server compares table names with regard to letter case "
                "(lower_case_table_names = %1), but the station spells them in varying case.  "
                "Put lower_case_table_names = 1 into the server's configuration "
                "(db/centre/lindhollow-centre.cnf does), restart the server and run this "
                "command again.")
                .arg(value));
    }
}

QString SessionClockWarning(Connection& connection) {
    Recordset setting;
    setting.Open(QStringLiteral("SELECT @@secure_timestamp AS v"), connection);
    if (setting.Fields(QStringLiteral("v")).Value().toString() != u"NO") {
        return {};
    }
    return QStringLiteral(
        "The server lets any account set its session clock (secure_timestamp = NO): a station's "
        "account could date its audit anchors and its batches' history as it likes, and insert "
        "history of its own.  Put secure_timestamp = REPLICATION into the server's configuration "
        "(db/centre/lindhollow-centre.cnf does) and restart the server.");
}

void CreateCentreDatabase(Connection& connection, const QString& database) {
    CheckDatabaseName(database);
    if (!connection.IsMariaDb()) {
        throw DatabaseError(
            QStringLiteral("A counting centre's database lives on a MariaDB server, not on %1.")
                .arg(connection.DbmsName()));
    }
    RequireCaseInsensitiveTableNames(connection);
    connection.Execute(QStringLiteral("CREATE DATABASE IF NOT EXISTS `%1` "
                                      "CHARACTER SET utf8mb4 COLLATE utf8mb4_general_ci")
                           .arg(database));
    connection.Execute(QStringLiteral("USE `%1`").arg(database));
    CreateSchema(connection);
}
