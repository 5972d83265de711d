#include "database/SqliteJoinedDelete.h"

#include <QRegularExpression>

QString AdaptJoinedDeleteForSqlite(const QString& statement) {
    static const QRegularExpression joinedDelete(
        QStringLiteral(R"(^\s*DELETE\s+(\w+)\s+FROM\s+(\w+)\s+INNER\s+JOIN\s+(\w+)\s+ON\s+(.+?))"
                       R"(\s+WHERE\s+(.+?)\s*$)"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch match = joinedDelete.match(statement);
    if (!match.hasMatch() ||
        match.captured(1).compare(match.captured(2), Qt::CaseInsensitive) != 0) {
        return statement;
    }
    return QStringLiteral("DELETE FROM %1 WHERE EXISTS (SELECT 1 FROM %2 WHERE (%3) AND (%4))")
        .arg(match.captured(1), match.captured(3), match.captured(4), match.captured(5));
}
