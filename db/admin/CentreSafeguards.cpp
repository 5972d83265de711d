#include "admin/CentreSafeguards.h"

#include <QStringList>
#include <optional>

#include "database/Connection.h"
#include "database/TableExists.h"

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

const char* const kVersionedTables[] = {"Batches", "BallotImages", "ImageSeals"};

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

// A row event's condition with the row's station number column and the account's station.
QString Expanded(const char* condition, const QString& column) {
    return QString::fromLatin1(condition)
        .replace(QStringLiteral("%1"), column)
        .replace(
            QStringLiteral("%2"),
            QStringLiteral("CAST(SUBSTRING(SUBSTRING_INDEX(SESSION_USER(), '@', 1), 8) AS INT)"));
}

// The condition under which a station's own row event touches a closed batch, and that batch's
// number; none for the tables that hold no batch's rows, and for a batch row inserted, which is a
// batch of its own. An image's, a seal's or an image file's batch is closed when its batch row has
// an end time.
struct ClosedBatch {
    QString closed;
    QString batchNo;
};
std::optional<ClosedBatch> ClosedBatchOf(const QString& table, const RowEvent& row) {
    const QString event = QString::fromLatin1(row.event);
    if (table == u"SystemStatus" || table == u"AuditAnchors") {
        return std::nullopt;
    }
    if (table == u"Batches") {
        if (event == u"INSERT") {
            return std::nullopt;
        }
        return ClosedBatch{QStringLiteral("OLD.EndTime IS NOT NULL"),
                           QStringLiteral("OLD.BatchNo")};
    }
    const auto closed = [](const char* row) {
        return QStringLiteral(
                   "(SELECT EndTime FROM Batches WHERE SystemID = %1.SystemID AND "
                   "BatchNo = %1.BatchNo) IS NOT NULL")
            .arg(QLatin1StringView(row));
    };
    if (event == u"INSERT") {
        return ClosedBatch{closed("NEW"), QStringLiteral("NEW.BatchNo")};
    }
    if (event == u"DELETE") {
        return ClosedBatch{closed("OLD"), QStringLiteral("OLD.BatchNo")};
    }
    // Out of a closed batch, or into one.
    return ClosedBatch{closed("OLD") + QStringLiteral(" OR ") + closed("NEW"),
                       QStringLiteral("IF(%1, OLD.BatchNo, NEW.BatchNo)").arg(closed("OLD"))};
}

// Inside a trigger CURRENT_USER() is the trigger's definer; SESSION_USER() is who connected,
// "station3@host". These triggers run for every row a station writes, so a row that passes costs
// one condition or two, and the refusal is put together only when it is needed: first a row of
// another station; then a closed batch, which is final to its station (its rows are neither
// changed nor deleted, and it takes no more images, seals or image files). Closing is the update
// of a batch row that is still open, so it passes.
QString GuardTrigger(const StationTable& table, const RowEvent& row) {
    const QString column = QString::fromLatin1(table.stationColumn);
    const QString name = QString::fromLatin1(table.table);
    const QString event = QString::fromLatin1(row.event);
    const auto refusal = [](const QString& text) {
        return QStringLiteral(
                   "BEGIN DECLARE refusal VARCHAR(128) DEFAULT CONCAT("
                   "SUBSTRING_INDEX(SESSION_USER(), '@', 1), %1); SIGNAL SQLSTATE "
                   "'45000' SET MESSAGE_TEXT = refusal; END;")
            .arg(text);
    };
    QString closedBatch;
    if (const std::optional<ClosedBatch> batch = ClosedBatchOf(name, row)) {
        closedBatch = QStringLiteral(" ELSEIF %1 THEN ").arg(batch->closed) +
                      refusal(QStringLiteral("' may not change batch ', %1, ': a closed batch is "
                                             "final'")
                                  .arg(batch->batchNo));
    }
    return QStringLiteral(
               "CREATE OR REPLACE TRIGGER %1Station%2 BEFORE %3 ON %1 FOR EACH ROW "
               "IF SESSION_USER() RLIKE '^station[0-9]+@' THEN IF NOT (%4) THEN ")
               .arg(name, event.left(1) + event.mid(1).toLower(), event,
                    Expanded(row.touched, column)) +
           refusal(QStringLiteral("' may not %1 a row of station ', %2, ' in %3: a station "
                                  "account changes only its own rows.'")
                       .arg(QString::fromLatin1(row.verb), Expanded(row.offending, column), name)) +
           closedBatch + QStringLiteral(" END IF; END IF");
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
