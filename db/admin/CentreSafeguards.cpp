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
    // The row is the account's own, before and after an update (%1 the column holding its station
    // number, %2 the station account that row belongs to); and the station number that is not.
    const char* touched;
    const char* offending;
};
const RowEvent kRowEvents[] = {
    {"INSERT", "insert", "%2 <=> CONCAT(_utf8mb3'station', NEW.%1)", "NEW.%1"},
    {"UPDATE", "update",
     "%2 <=> CONCAT(_utf8mb3'station', OLD.%1) AND %2 <=> CONCAT(_utf8mb3'station', NEW.%1)",
     "IF(%2 <=> CONCAT(_utf8mb3'station', OLD.%1), NEW.%1, OLD.%1)"},
    {"DELETE", "delete", "%2 <=> CONCAT(_utf8mb3'station', OLD.%1)", "OLD.%1"},
};

// The account's name without its host: "station3".
const QString kAccount = QStringLiteral("SUBSTRING_INDEX(SESSION_USER(), '@', 1)");

// A row event's condition with the row's station number column and the account's name. The name
// is compared with the one the row's station number makes rather than parsed into a number: a
// number spelt otherwise ("station03") then matches no row, which refuses more, never less.
QString Expanded(const char* condition, const QString& column) {
    return QString::fromLatin1(condition)
        .replace(QStringLiteral("%1"), column)
        .replace(QStringLiteral("%2"), kAccount);
}

// The condition under which a station's own row event touches a closed batch, and that batch's
// number; none for the tables that hold no batch's rows, and for a batch row inserted, which is a
// batch of its own. An image's, a seal's or an image file's batch is closed when its batch row has
// an end time; the row is found by its primary key, named so that the server does not weigh the
// other indexes of Batches for every row.
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
                   "(SELECT EndTime FROM Batches FORCE INDEX (PRIMARY) WHERE SystemID = "
                   "%1.SystemID AND BatchNo = %1.BatchNo) IS NOT NULL")
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
// "station3@host". These triggers run for every row a station writes, and the server prepares a
// trigger's every condition again for each row, so a row that passes costs one condition: an
// account whose name may be a station's, writing a row of another station or of a closed batch.
// A regular expression is compiled at each preparing, so only a row that would be refused asks
// whether the account is a station's ("station" and digits). Account names are utf8mb3 to the
// server; the texts compared with them are too, which spares a conversion per row. The refusal is
// put together only then: first a row of another station; then a closed batch, which is final to
// its station (its rows are neither changed nor deleted, and it takes no more images, seals or
// image files). Closing is the update of a batch row that is still open, so it passes.
QString GuardTrigger(const StationTable& table, const RowEvent& row) {
    const QString column = QString::fromLatin1(table.stationColumn);
    const QString name = QString::fromLatin1(table.table);
    const QString event = QString::fromLatin1(row.event);
    const QString own = Expanded(row.touched, column);
    QString refused = QStringLiteral("NOT (%1)").arg(own);
    QString refusal =
        QStringLiteral(
            "CONCAT(%1, ' may not %2 a row of station ', %3, ' in %4: a station "
            "account changes only its own rows.')")
            .arg(kAccount, QString::fromLatin1(row.verb), Expanded(row.offending, column), name);
    if (const std::optional<ClosedBatch> batch = ClosedBatchOf(name, row)) {
        refused = QStringLiteral("(%1 OR %2)").arg(refused, batch->closed);
        refusal = QStringLiteral(
                      "IF(%1, CONCAT(%2, ' may not change batch ', %3, ': a closed batch is "
                      "final'), %4)")
                      .arg(own, kAccount, batch->batchNo, refusal);
    }
    return QStringLiteral(
               "CREATE OR REPLACE TRIGGER %1Station%2 BEFORE %3 ON %1 FOR EACH ROW "
               "IF SESSION_USER() LIKE _utf8mb3'station_%' AND %4 THEN "
               "IF SESSION_USER() RLIKE '^station[0-9]+@' THEN "
               "BEGIN DECLARE refusal VARCHAR(128) DEFAULT %5; "
               "SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT = refusal; END; END IF; END IF")
        .arg(name, event.left(1) + event.mid(1).toLower(), event, refused, refusal);
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
