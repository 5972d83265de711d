#include "admin/Schema.h"

#include <QFile>
#include <QStringList>

#include "admin/CentreDatabase.h"
#include "admin/CentreSafeguards.h"
#include "database/Connection.h"
#include "database/DatabaseError.h"

namespace {

QString SchemaResource(const Connection& connection) {
    if (connection.IsSqlite()) {
        return QStringLiteral(":/schema/sqlite.sql");
    }
    if (connection.IsMariaDb()) {
        return QStringLiteral(":/schema/mariadb.sql");
    }
    throw DatabaseError(
        QStringLiteral("No schema for the database \"%1\"; SQLite and MariaDB are supported.")
            .arg(connection.DbmsName()));
}

// The schema files hold plain statements ended by semicolons, with "--" comments.
QStringList Statements(const QString& script) {
    QStringList lines;
    for (const QString& line : script.split(u'\n')) {
        if (!line.trimmed().startsWith(u"--")) {
            lines << line;
        }
    }
    QStringList statements;
    for (const QString& statement : lines.join(u'\n').split(u';')) {
        if (!statement.trimmed().isEmpty()) {
            statements << statement.trimmed();
        }
    }
    return statements;
}

}  // namespace

void CreateSchema(Connection& connection) {
    if (connection.IsMariaDb()) {
        RequireCaseInsensitiveTableNames(connection);
    }
    QFile file(SchemaResource(connection));
    if (!file.open(QIODevice::ReadOnly)) {
        throw DatabaseError(QStringLiteral("Cannot read %1.").arg(file.fileName()));
    }
    for (const QString& statement : Statements(QString::fromUtf8(file.readAll()))) {
        connection.Execute(statement);
    }
    if (connection.IsMariaDb()) {
        KeepBatchHistory(connection);
        InstallStationRowGuards(connection);
    }
}
