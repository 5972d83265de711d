#include "database/TableExists.h"

#include "database/Connection.h"
#include "database/Recordset.h"
#include "database/SQLUtilities.h"

namespace {

// The type of the table in `schema`, a SQL expression; empty when there is none.
QString TypeIn(Connection& connection, const QString& schema, const QString& table) {
    const QString name = DoubleSqlQuotes(table.toLower());
    Recordset row;
    row.Open(connection.IsSqlite()
                 ? QStringLiteral("SELECT type AS v FROM sqlite_master WHERE type = 'table' AND "
                                  "lower(name) = '%1'")
                       .arg(name)
                 : QStringLiteral("SELECT TABLE_TYPE AS v FROM information_schema.TABLES WHERE "
                                  "TABLE_SCHEMA = %1 AND LOWER(TABLE_NAME) = '%2'")
                       .arg(schema, name),
             connection);
    return row.Eof() ? QString() : row.Fields(QStringLiteral("v")).Value().toString();
}

}  // namespace

bool TableExists(Connection& connection, const QString& table, const QString& database) {
    const QString schema = database.isEmpty() ? QStringLiteral("DATABASE()")
                                              : u'\'' + DoubleSqlQuotes(database) + u'\'';
    return !TypeIn(connection, schema, table).isEmpty();
}

QString TableType(Connection& connection, const QString& table) {
    return TypeIn(connection, QStringLiteral("DATABASE()"), table);
}
