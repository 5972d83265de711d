#include "database/Recordset.h"

#include <QSqlError>
#include <QSqlRecord>

#include "database/Connection.h"
#include "database/DatabaseError.h"
#include "database/StatementObserver.h"

void Recordset::Open(const QString& source, Connection& activeConnection) {
    Close();
    if (activeConnection.State() == 0) {
        throw DatabaseError(QStringLiteral("The connection is not open."));
    }
    ObserveStatement(source);
    source_ = activeConnection.Adapted(source);
    query_ = QSqlQuery(activeConnection.Database());
    query_.setForwardOnly(true);
    Run();
}

void Recordset::Run() {
    if (!query_.exec(source_)) {
        const QSqlError error = query_.lastError();
        Close();
        throw DriverError(error);
    }
    open_ = true;
    onRow_ = query_.next();
    pastFirstRow_ = false;
}

bool Recordset::Eof() const {
    return !onRow_;
}

void Recordset::MoveFirst() {
    if (!open_) {
        throw DatabaseError(QStringLiteral("The result set is not open."));
    }
    // A forward-only cursor goes back by running its query again.
    if (pastFirstRow_) {
        Run();
    }
    if (!onRow_) {
        throw DatabaseError(QStringLiteral("The result set has no rows."));
    }
}

void Recordset::MoveNext() {
    if (!open_ || !onRow_) {
        throw DatabaseError(QStringLiteral("There is no current row to move on from."));
    }
    onRow_ = query_.next();
    pastFirstRow_ = true;
}

Field Recordset::Fields(const QString& name) const {
    if (!open_ || !onRow_) {
        throw DatabaseError(QStringLiteral("There is no current row to read %1 from.").arg(name));
    }
    const QSqlRecord record = query_.record();
    for (int i = 0; i < record.count(); ++i) {
        if (record.fieldName(i).compare(name, Qt::CaseInsensitive) == 0) {
            return Field(query_.value(i));
        }
    }
    throw DatabaseError(QStringLiteral("The result set has no column named %1.").arg(name));
}

int Recordset::State() const {
    return open_ ? 1 : 0;
}

void Recordset::Close() {
    query_ = QSqlQuery();
    open_ = false;
    onRow_ = false;
    pastFirstRow_ = false;
}
