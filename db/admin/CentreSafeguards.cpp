#include "admin/CentreSafeguards.h"

#include <QStringList>

#include "database/Connection.h"
#include "database/Recordset.h"

namespace {

// The tables a station writes, with the column that holds the station number.
struct StationTable {
    const char* table;
    const char* stationColumn;
};
const StationTable kStationTables[] = {
    {"Batches", "SystemID"},      {"BallotImages", "SystemID"}, {"SystemStatus", "SYSTEMID"},
    {"AuditAnchors", "SystemID"}, {"ImageSeals", "SystemID"},   {"ImageFiles", "SystemID"},
};

const char* const kVersionedTables[] = {"Batches", "BallotImages"};

// TABLE_TYPE of the table in the connection's database; empty when it is missing.
QString TableType(Connection& connection, const QString& table) {
    Recordset row;
    row.Open(QStringLiteral("SELECT TABLE_TYPE AS v FROM information_schema.TABLES WHERE "
                            "TABLE_SCHEMA = DATABASE() AND TABLE_NAME = '%1'")
                 .arg(table.toLower()),
             connection);
    return row.Eof() ? QString() : row.Fields(QStringLiteral("v")).Value().toString();
}

struct RowEvent {
    const char* event;
    const char* verb;
    // The row's station number (%1 its column, %2 the account's station) is the account's, before
    // and after an update; and the one that is not.
    const char* touched;
    const char* offending;
};
const RowEvent kRowEvents[] = {
    {"INSERT", "insert", "NEW.%1 <=> %2", "NEW.%1"},
    {"UPDATE", "update", "OLD.%1 <=> %2 AND NEW.%1 <=> %2", "IF(OLD.%1 <=> %2, NEW.%1, OLD.%1)"},
    {"DELETE", "delete", "OLD.%1 <=> %2", "OLD.%1"},
};

// Inside a trigger CURRENT_USER() is the trigger's definer; SESSION_USER() is who connected,
// "station3@host". These triggers run for every row a station writes, so a row that passes costs
// one condition, and the refusal is put together only when it is needed.
QString GuardTrigger(const StationTable& table, const RowEvent& row) {
    const QString column = QString::fromLatin1(table.stationColumn);
    const QString name = QString::fromLatin1(table.table);
    const QString event = QString::fromLatin1(row.event);
    const auto expanded = [&column](const char* text) {
        return QString::fromLatin1(text)
            .replace(QStringLiteral("%1"), column)
            .replace(QStringLiteral("%2"), QStringLiteral("CAST(SUBSTRING(SUBSTRING_INDEX("
                                                          "SESSION_USER(), '@', 1), 8) AS INT)"));
    };
    return QStringLiteral(
               "CREATE OR REPLACE TRIGGER %1Station%2 BEFORE %3 ON %4 FOR EACH ROW "
               "IF SESSION_USER() RLIKE '^station[0-9]+@' AND NOT (%5) THEN BEGIN "
               "DECLARE refusal VARCHAR(128) DEFAULT CONCAT(SUBSTRING_INDEX(SESSION_USER(), '@', "
               "1), ' may not %6 a row of station ', %7, ' in %4: a station account changes only "
               "its own rows.'); "
               "SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT = refusal; END; END IF")
        .arg(name, event.left(1) + event.mid(1).toLower(), event, name, expanded(row.touched),
             QString::fromLatin1(row.verb), expanded(row.offending));
}

}  // namespace

void KeepBatchHistory(Connection& connection) {
    for (const char* table : kVersionedTables) {
        const QString type = TableType(connection, QString::fromLatin1(table));
        if (!type.isEmpty() && type != u"SYSTEM VERSIONED") {
            connection.Execute(
                QStringLiteral("ALTER TABLE %1 ADD SYSTEM VERSIONING").arg(QLatin1String(table)));
        }
    }
}

void InstallStationRowGuards(Connection& connection) {
    for (const StationTable& table : kStationTables) {
        if (TableType(connection, QString::fromLatin1(table.table)).isEmpty()) {
            continue;
        }
        for (const RowEvent& row : kRowEvents) {
            connection.Execute(GuardTrigger(table, row));
        }
    }
}
