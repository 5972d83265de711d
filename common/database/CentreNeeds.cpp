#include "database/CentreNeeds.h"

#include <QStringList>

#include "database/Connection.h"
#include "database/DatabaseError.h"

namespace {

// MariaDB's error numbers for a table that is missing, a statement the account may not run, and
// a column an insert leaves out (raised only once the insert was allowed).
constexpr int NoSuchTable = 1146;
constexpr int NoSuchColumn = 1054;
constexpr int StatementDenied = 1142;
constexpr int NoDefaultForField = 1364;

struct Need {
    const char* table;
    const char* column;  // one the station writes that older centres lack, or null
    const char* what;    // what the station does, as the message says it
    const char* statement;
};

const Need kNeeds[] = {
    {"AuditAnchors", "RecordLine", "add rows to",
     "INSERT INTO AuditAnchors (SystemID, RecordLine) SELECT 0, NULL FROM (SELECT 1) AS n "
     "WHERE 1 = 0"},
    {"ImageSeals", nullptr, "add rows to",
     "INSERT INTO ImageSeals (SystemID) SELECT 0 FROM (SELECT 1) AS n WHERE 1 = 0"},
    {"ImageSeals", nullptr, "remove rows from",
     "DELETE FROM ImageSeals WHERE SystemID = %1 AND 1 = 0"},
    {"ImageFiles", nullptr, "add rows to",
     "INSERT INTO ImageFiles (SystemID) SELECT 0 FROM (SELECT 1) AS n WHERE 1 = 0"},
    {"ImageFiles", nullptr, "remove rows from",
     "DELETE FROM ImageFiles WHERE SystemID = %1 AND 1 = 0"},
};

}  // namespace

QString MissingCentreNeeds(const QString& connectString, qint16 systemId) {
    Connection connection;
    try {
        connection.Open(connectString);
    } catch (const DatabaseError&) {
        return {};
    }
    QStringList missing;  // tables, and columns of older centres
    QStringList denied;
    for (const Need& need : kNeeds) {
        const QString table = QStringLiteral("table ") + QLatin1StringView(need.table);
        if (missing.contains(table)) {
            continue;
        }
        try {
            connection.Execute(QString::fromLatin1(need.statement)
                                   .replace(QStringLiteral("%1"), QString::number(systemId)));
        } catch (const DatabaseError& error) {
            if (error.nativeCode() == NoSuchTable || error.message().contains(u"no such table")) {
                missing << table;
            } else if (need.column && (error.nativeCode() == NoSuchColumn ||
                                       error.message().contains(u"no column named"))) {
                missing << QStringLiteral("column %1.%2")
                               .arg(QLatin1StringView(need.table), QLatin1StringView(need.column));
            } else if (error.nativeCode() == StatementDenied) {
                denied << QStringLiteral("%1 %2").arg(QLatin1StringView(need.what),
                                                      QLatin1StringView(need.table));
            } else if (error.nativeCode() != NoDefaultForField) {
                return {};  // the centre stopped answering: not a lack of the centre's
            }
        }
    }
    if (missing.isEmpty() && denied.isEmpty()) {
        return {};
    }
    QString message = QStringLiteral("The centre's database cannot store this station's batches:");
    if (!missing.isEmpty()) {
        message += QStringLiteral(" it has no %1.").arg(missing.join(QStringLiteral(", ")));
    }
    if (!denied.isEmpty()) {
        message += QStringLiteral(" This station's account may not %1.")
                       .arg(denied.join(QStringLiteral(", nor ")));
    }
    message += QStringLiteral(
        "  The centre's administrator mends it with lindhollow-admin "
        "create-schema");
    if (!denied.isEmpty()) {
        message += QStringLiteral(
                       ", then lindhollow-admin add-station --system-id %1 --replace "
                       "(and write-dsn with the password it prints)")
                       .arg(systemId);
    }
    message += QStringLiteral(".  Restart the station then; until then no batch can be started.");
    return message;
}
