#include "admin/Operators.h"

#include <stdexcept>

#include "admin/CentreDatabase.h"
#include "database/Connection.h"
#include "database/DatabaseError.h"
#include "database/Recordset.h"

namespace {

QString LevelText(std::optional<int> level) {
    return level ? QString::number(*level) : QStringLiteral("NULL");
}

std::optional<int> LevelOf(const Recordset& row) {
    const QVariant level = row.Fields(QStringLiteral("PrivilegeLevel")).Value();
    return level.isNull() ? std::nullopt : std::optional(level.toInt());
}

// The login trims blanks from what the operator types and compares the rest, so
// an identifier or password with blanks at its ends could never log in.
void CheckLoginText(const QString& what, const QString& text) {
    if (text.isEmpty()) {
        throw std::invalid_argument(what.toStdString() + " must not be empty");
    }
    if (text.startsWith(u' ') || text.endsWith(u' ')) {
        throw std::invalid_argument(what.toStdString() +
                                    " must not begin or end with a blank: the login trims them");
    }
}

}  // namespace

AddOutcome AddOperator(Connection& connection, const QString& userId, const QString& password,
                       std::optional<int> privilegeLevel, bool replace) {
    CheckLoginText(QStringLiteral("The operator identifier"), userId);
    CheckLoginText(QStringLiteral("The password"), password);
    Recordset existing;
    existing.Open(
        QStringLiteral("SELECT UserID, Password, PrivilegeLevel FROM Users WHERE UserID = ") +
            SqlText(userId),
        connection);
    if (existing.Eof()) {
        existing.Close();
        connection.Execute(
            QStringLiteral("INSERT INTO Users(UserID,Password,PrivilegeLevel) VALUES (%1,%2,%3)")
                .arg(SqlText(userId), SqlText(password), LevelText(privilegeLevel)));
        return AddOutcome::Added;
    }
    const bool same = existing.Fields(QStringLiteral("UserID")).Value().toString() == userId &&
                      existing.Fields(QStringLiteral("Password")).Value().toString() == password &&
                      LevelOf(existing) == privilegeLevel;
    existing.Close();
    if (same) {
        return AddOutcome::AlreadyPresent;
    }
    if (!replace) {
        throw std::invalid_argument("An operator \"" + userId.toStdString() +
                                    "\" already exists with other details; use --replace to "
                                    "change them");
    }
    connection.Execute(
        QStringLiteral("UPDATE Users SET UserID = %1, Password = %2, PrivilegeLevel = %3 WHERE "
                       "UserID = %1")
            .arg(SqlText(userId), SqlText(password), LevelText(privilegeLevel)));
    return AddOutcome::Replaced;
}

QList<Operator> ListOperators(Connection& connection) {
    Recordset rows;
    rows.Open(QStringLiteral("SELECT UserID, PrivilegeLevel FROM Users ORDER BY UserID"),
              connection);
    QList<Operator> operators;
    for (; !rows.Eof(); rows.MoveNext()) {
        operators.append({rows.Fields(QStringLiteral("UserID")).Value().toString(), LevelOf(rows)});
    }
    return operators;
}

bool RemoveOperator(Connection& connection, const QString& userId) {
    return connection.Execute(QStringLiteral("DELETE FROM Users WHERE UserID = ") +
                              SqlText(userId)) > 0;
}
