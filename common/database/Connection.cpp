#include "database/Connection.h"

#include <sql.h>
#include <sqlext.h>

#include <QAtomicInteger>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>

#include "database/ConnectString.h"
#include "database/DatabaseError.h"
#include "database/SqliteJoinedDelete.h"
#include "database/StatementObserver.h"

namespace {

QString NextConnectionName() {
    static QAtomicInteger<quint64> counter;
    return QStringLiteral("lindhollow-%1").arg(++counter);
}

// Asks the ODBC driver which database stands behind the data source.
QString QueryDbmsName(const QSqlDatabase& database) {
    const QVariant handle = database.driver()->handle();
    // Qt's ODBC driver hands out its connection handle as a void*, which is what
    // SQLHANDLE is.
    if (!handle.isValid() || handle.metaType() != QMetaType::fromType<SQLHANDLE>()) {
        return {};
    }
    SQLHANDLE connection = *static_cast<const SQLHANDLE*>(handle.data());
    SQLCHAR name[128] = {};
    SQLSMALLINT length = 0;
    if (!SQL_SUCCEEDED(SQLGetInfo(connection, SQL_DBMS_NAME, name, sizeof name, &length))) {
        return {};
    }
    return QString::fromLatin1(reinterpret_cast<const char*>(name));
}

}  // namespace

DatabaseError DriverError(const QSqlError& error) {
    // Qt joins the numbers of several diagnostic records with blanks; the first is the cause.
    // Drivers may quote the connect string they were given.
    return DatabaseError(
        WithoutSecrets(error.databaseText().isEmpty() ? error.text() : error.databaseText()),
        error.nativeErrorCode().section(u' ', 0, 0).toInt());
}

Connection::Connection() : name_(NextConnectionName()) {}

Connection::~Connection() {
    Close();
    database_ = QSqlDatabase();
    if (QSqlDatabase::contains(name_)) {
        QSqlDatabase::removeDatabase(name_);
    }
}

void Connection::Open(const QString& connectString) {
    Close();
    const ConnectString parts = ParseConnectString(connectString);
    // unixODBC would fall back on a data source of its own choosing.
    if (parts.databaseName.trimmed().isEmpty()) {
        throw DatabaseError(QStringLiteral("The connect string names no data source."));
    }
    database_ = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), name_);
    database_.setDatabaseName(parts.databaseName);
    database_.setUserName(parts.userName);
    database_.setPassword(parts.password);
    database_.setConnectOptions(QStringLiteral("SQL_ATTR_ODBC_VERSION=SQL_OV_ODBC3"));
    if (!database_.open()) {
        throw DriverError(database_.lastError());
    }
    dbmsName_ = QueryDbmsName(database_);
    if (IsMariaDb()) {
        // Statements quote texts the standard way, by doubling single quotes; a
        // backslash inside a text must stay a plain character, not an escape.
        Run(QStringLiteral(
            "SET SESSION sql_mode = CONCAT(@@SESSION.sql_mode, ',NO_BACKSLASH_ESCAPES')"));
    }
}

QString Connection::Adapted(const QString& statement) const {
    return IsSqlite() ? AdaptJoinedDeleteForSqlite(statement) : statement;
}

int Connection::Execute(const QString& statement) {
    if (!database_.isOpen()) {
        throw DatabaseError(QStringLiteral("The connection is not open."));
    }
    ObserveStatement(statement);
    return Run(Adapted(statement));
}

int Connection::Execute(const QString& statement, const QVariantList& values) {
    if (!database_.isOpen()) {
        throw DatabaseError(QStringLiteral("The connection is not open."));
    }
    ObserveStatement(statement);
    auto [found, added] = prepared_.try_emplace(statement, database_);
    QSqlQuery& query = found->second;
    if (added && !query.prepare(Adapted(statement))) {
        const QSqlError error = query.lastError();
        prepared_.erase(found);
        throw DriverError(error);
    }
    for (int i = 0; i < values.size(); ++i) {
        query.bindValue(i, values[i]);
    }
    if (!query.exec()) {
        throw DriverError(query.lastError());
    }
    return query.numRowsAffected();
}

void Connection::BeginTrans() {
    if (!database_.transaction()) {
        throw DriverError(database_.lastError());
    }
}

void Connection::CommitTrans() {
    if (!database_.commit()) {
        throw DriverError(database_.lastError());
    }
}

void Connection::RollbackTrans() {
    if (!database_.rollback()) {
        throw DriverError(database_.lastError());
    }
}

int Connection::Run(const QString& statement) {
    QSqlQuery query(database_);
    if (!query.exec(statement)) {
        throw DriverError(query.lastError());
    }
    return query.numRowsAffected();
}

int Connection::State() const {
    return database_.isOpen() ? 1 : 0;
}

void Connection::Close() {
    prepared_.clear();
    if (database_.isOpen()) {
        database_.close();
    }
}
