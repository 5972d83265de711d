#include "admin/AdminLog.h"

#include "admin/CentreDatabase.h"
#include "database/Connection.h"
#include "database/DatabaseError.h"

namespace {

// AdminLog's columns hold 255 characters.
QString Quoted(const QString& text) {
    return SqlText(text.left(255));
}

QString LogTable(const AdminAction& action) {
    return action.database.isEmpty() ? QStringLiteral("AdminLog")
                                     : QStringLiteral("`%1`.AdminLog").arg(action.database);
}

void Record(Connection& connection, const AdminAction& action, const QString& outcome) {
    connection.Execute(
        QStringLiteral("INSERT INTO %1(LoggedAt,Account,Command,Target,Outcome) "
                       "VALUES (UTC_TIMESTAMP(), SESSION_USER(), %2, %3, %4)")
            .arg(LogTable(action), Quoted(action.command), Quoted(action.target), Quoted(outcome)));
}

}  // namespace

QString RunRecorded(Connection& connection, const AdminAction& action,
                    const std::function<QString()>& change, bool changeMakesTheLog) {
    if (!connection.IsMariaDb()) {
        return change();
    }
    if (!changeMakesTheLog) {
        try {
            connection.Execute(
                QStringLiteral("SELECT 1 FROM %1 WHERE 1 = 0").arg(LogTable(action)));
        } catch (const DatabaseError& error) {
            throw DatabaseError(
                QStringLiteral("Administrators' actions cannot be recorded in AdminLog (%1).  "
                               "Name the centre's database in the connect string, or bring its "
                               "schema up to date first: lindhollow-admin create-schema.")
                    .arg(error.message()));
        }
    }
    QString outcome;
    try {
        outcome = change();
    } catch (const std::exception& error) {
        try {
            Record(connection, action,
                   QStringLiteral("failed: ") + QString::fromUtf8(error.what()));
        } catch (const DatabaseError&) {
            // The failure itself is what the administrator is told.
        }
        throw;
    }
    Record(connection, action, outcome);
    return outcome;
}
