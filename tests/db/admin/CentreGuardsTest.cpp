// What the centre's database guards by itself, on a private server: stations kept to their own
// rows, the history of batches, the administrators' log.

#include <gtest/gtest.h>

#include <QRegularExpression>
#include <utility>

#include "CentreAdminFixture.h"
#include "ClosedBatchAttempts.h"
#include "HeadlessStation.h"
#include "database/DatabaseError.h"
#include "database/StatementObserver.h"
#include "support/TestDataSource.h"

namespace {

// Each table a station writes, %1 the station whose rows a statement touches; the joined DELETE
// of the station's open batches is a kind of its own.
struct StationTable {
    const char* table;
    const char* insert;
    const char* update;  // none where station accounts may not update
    const char* remove;  // likewise
};

const StationTable kTables[] = {
    {"Batches", "(SystemID,BatchNo) VALUES (%1,13)", "ImageCount = 1", "BatchNo = 12"},
    {"BallotImages", "(SystemID,BatchNo) VALUES (%1,12)", "Status = 7",
     "BatchNo IN (SELECT BatchNo FROM Batches WHERE EndTime IS NULL)"},
    {"SystemStatus", "(SYSTEMID) VALUES (%1)", "STATUS = 'ONLINE'", "1 = 1"},
    {"ImageSeals", "VALUES (%1,12,1,1,'a')", nullptr, "BatchNo = 12"},
    {"ImageFiles", "VALUES (%1,12,1,'a','b')", nullptr, "BatchNo = 12"},
    {"AuditAnchors",
     "(SystemID,LogID,Sequence,Hash,AnchoredAt,Account) VALUES (%1,'a',1,'b',NOW(),'')", nullptr,
     nullptr},
};

QStringList Statements(const StationTable& t) {
    const QLatin1StringView table(t.table);
    QStringList statements = {QStringLiteral("INSERT INTO %1 ").arg(table) + t.insert};
    if (t.update) {
        statements << QStringLiteral("UPDATE %1 SET %2 WHERE SystemID = %3").arg(table, t.update);
    }
    if (t.remove) {
        statements
            << QStringLiteral("DELETE FROM %1 WHERE SystemID = %3 AND %2").arg(table, t.remove);
    }
    if (table == u"BallotImages") {
        statements << QStringLiteral(
            "DELETE BallotImages FROM BallotImages INNER JOIN Batches ON BallotImages.BatchNo = "
            "Batches.BatchNo AND BallotImages.SystemID = Batches.SystemID WHERE Batches.SystemID "
            "= %1 AND Batches.EndTime IS NULL");
    }
    return statements;
}

// Each statement kind, on the station's own rows and on another's, by the station's account and
// by the administrator's: only the station account on another station's rows is refused, and
// then nothing changes.
TEST_F(CentreAdmin, AStationAccountChangesOnlyItsOwnStationsRows) {
    const QString station3 = StationConnectString(database_, "station3", CentreWithStation(3));
    Server().RunAsAdministrator(
        QStringLiteral("CREATE USER IF NOT EXISTS 'stationery'@'%' IDENTIFIED BY 'paper'; GRANT "
                       "ALL ON %1.* TO 'stationery'@'%';")
            .arg(database_));
    // An account whose name only begins like a station's is not a station's.
    const std::pair<const char*, QString> accounts[] = {
        {"station3", station3},
        {"root", AdminOnCentre()},
        {"stationery", StationConnectString(database_, "stationery", "paper")}};
    const QString rows = QStringLiteral(
        "SELECT CONCAT_WS('|', (SELECT GROUP_CONCAT(CONCAT_WS(',', BatchNo, ImageCount)) FROM "
        "Batches WHERE SystemID = 4), (SELECT GROUP_CONCAT(Status) FROM BallotImages WHERE "
        "SystemID = 4), (SELECT GROUP_CONCAT(STATUS) FROM SystemStatus WHERE SystemID = 4)) AS v");
    const auto present = [this](const char* table) {
        return QueryOn(AdminOnCentre(),
                       QStringLiteral("SELECT Count(*) AS v FROM information_schema."
                                      "TABLES WHERE TABLE_SCHEMA = DATABASE() AND "
                                      "TABLE_NAME = LOWER('%1')")
                           .arg(table)) == u"1";
    };
    QString reset =
        QStringLiteral(
            "USE %1; DELETE FROM Batches; DELETE FROM BallotImages; DELETE FROM SystemStatus; "
            "INSERT INTO Batches(SystemID,BatchNo) VALUES (3,12),(4,12); INSERT INTO BallotImages("
            "SystemID,BatchNo,Status) VALUES (3,12,0),(4,12,0); INSERT INTO SystemStatus(SYSTEMID) "
            "VALUES (3),(4);")
            .arg(database_);
    if (present("ImageSeals")) {
        reset +=
            "DELETE FROM ImageSeals; INSERT INTO ImageSeals VALUES (3,12,0,0,'a'),(4,12,0,0,'a');";
    }
    if (present("ImageFiles")) {
        reset +=
            "DELETE FROM ImageFiles; INSERT INTO ImageFiles VALUES (3,12,0,'a','b'),"
            "(4,12,0,'a','b');";
    }
    for (const StationTable& table : kTables) {
        if (!present(table.table)) {
            std::printf("no table %s here: its rows are not tried\n", table.table);
            continue;
        }
        for (const QString& statement : Statements(table)) {
            for (const int station : {3, 4}) {
                for (const auto& [account, connect] : accounts) {
                    const bool byStation = connect == station3;
                    Server().RunAsAdministrator(reset);
                    const QString before = QueryOn(AdminOnCentre(), rows);
                    const QString sql = statement.arg(station);
                    SCOPED_TRACE(sql.toStdString() + " by " + account);
                    try {
                        EXPECT_GT(ExecuteOn(connect, sql), 0);
                        EXPECT_TRUE(!byStation || station == 3);
                    } catch (const DatabaseError& error) {
                        EXPECT_TRUE(byStation && station == 4) << error.what();
                        EXPECT_TRUE(error.message().contains(
                            QStringLiteral(
                                "station3 may not %1 a row of station 4 in %2: a station "
                                "account changes only its own rows.")
                                .arg(sql.section(u' ', 0, 0).toLower(), table.table)))
                            << error.what();
                        EXPECT_EQ(QueryOn(AdminOnCentre(), rows), before);
                    }
                }
            }
        }
    }
}

// Station 3's account on its closed batch and the clock: every attempt refused, or done at the
// server's time, each as it is and after trying to set the clock back or to insert history.
TEST_F(CentreAdmin, AStationsClosedBatchIsFinalAndTheClockTheServers) {
    const QString station3 = StationConnectString(database_, "station3", CentreWithStation(3));
    Server().RunAsAdministrator(
        QStringLiteral("USE %1; GRANT SELECT, INSERT, DELETE ON ImageFiles TO 'station3'@'%';")
            .arg(database_) +
        ClosedBatchRows());
    for (int setting = 0; setting < kClockSettingCount; ++setting) {
        for (int attempt = 0; attempt < kStationAttemptCount; ++attempt) {
            ExpectAttempt(station3, AdminOnCentre(), kClockSettings[setting],
                          kStationAttempts[attempt]);
        }
    }
}

// A station scans on its own account, its closed batches guarded: it starts, removing the batch
// its last run left open; scans a batch whose close is done but not answered, then one lost while
// it is stored (the account may no longer insert images) and scanned again; then a tally and a seal
// of the closed batch are changed by an administrator. The history, its times left out, tells each
// step.
TEST_F(CentreAdmin, AStationsBatchLostAndScannedAgainShowsInItsHistory) {
    const QString station3 = StationConnectString(database_, "station3", CentreWithStation(3));
    HeadlessStation station(3, station3);
    const QString leftOpen = QStringLiteral(
        "SELECT (SELECT Count(*) FROM Batches WHERE BatchNo = 7) + (SELECT Count(*) FROM "
        "BallotImages WHERE BatchNo = 7) + (SELECT Count(*) FROM ImageSeals WHERE BatchNo = 7) "
        "AS v");
    Server().RunAsAdministrator(
        QStringLiteral("USE %1; INSERT INTO Batches(SystemID,BatchNo) VALUES (3,7); INSERT INTO "
                       "BallotImages(SystemID,BatchNo,ImageSeq) VALUES (3,7,0); INSERT INTO "
                       "ImageSeals VALUES (3,7,0,300700000,'a');")
            .arg(database_));
    ASSERT_EQ(QueryOn(AdminOnCentre(), leftOpen), "3");
    station.Start();
    EXPECT_EQ(QueryOn(AdminOnCentre(), leftOpen), "0");
    // Batch 1's close is done, but its answer lost: the batch stays closed, not lost.
    bool closeDone = false;
    SetStatementObserver([&](const QString& statement) {
        if (statement.startsWith(u"UPDATE Batches SET ImageCount") &&
            !std::exchange(closeDone, true)) {
            ExecuteOn(station3, statement);
            throw DatabaseError(QStringLiteral("Lost connection to server during query"));
        }
    });
    ASSERT_EQ(station.ScanBatch(1, 2), HeadlessStation::Outcome::Closed);
    SetStatementObserver({});
    EXPECT_EQ(QueryOn(AdminOnCentre(),
                      "SELECT Count(*) AS v FROM Batches WHERE BatchNo = 1 AND "
                      "EndTime IS NOT NULL"),
              "1");
    const QString images = QStringLiteral(" INSERT ON %1.BallotImages %2 'station3'@'%'");
    Server().RunAsAdministrator(QStringLiteral("REVOKE") + images.arg(database_, "FROM"));
    ASSERT_EQ(station.ScanBatch(2, 2), HeadlessStation::Outcome::Lost);
    Server().RunAsAdministrator(QStringLiteral("GRANT") + images.arg(database_, "TO"));
    ASSERT_EQ(station.ScanBatch(2, 2), HeadlessStation::Outcome::Closed);
    station.Close();
    ExecuteOn(AdminOnCentre(),
              "UPDATE Batches SET ACCEPTED = 4 WHERE SystemID = 3 AND BatchNo = 2");
    ExecuteOn(AdminOnCentre(),
              "UPDATE ImageSeals SET SHA256 = 'corrected' WHERE SystemID = 3 "
              "AND BatchNo = 2 AND ImageSeq = 1");

    const AdminToolResult history =
        Run({"history", "--connect", AdminOnCentre(), "--system-id", "3", "--batch", "2"});
    ASSERT_EQ(history.exitCode, 0) << history.errors.toStdString();
    const QString told = QString(history.output)
                             .replace(QRegularExpression(QStringLiteral(
                                          "2\\d{3}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d(\\.\\d+)?")),
                                      QStringLiteral("T"));
    EXPECT_EQ(
        told.toStdString(),
        "Batch 2 of station 3, times in UTC:\n"
        "T  batch row created: StartTime T, UserID demo\n"
        "T  batch row deleted\n"
        "T  batch row created: StartTime T, UserID demo\n"
        "T  image rows inserted: 4 (sequence 0 to 3), the last at T\n"
        "T  seal rows inserted: 4 (sequence 0 to 3), the last at T\n"
        "T  batch row changed: ACCEPTED NULL -> 0, REJECTED NULL -> 0, DELETED NULL -> 0, "
        "HAVEWRITEINS NULL -> 0, WAITINGREPAIR NULL -> 0, WAITINGDUPE NULL -> 0, "
        "HAVEBEENREPAIRED NULL -> 0, HAVEBEENDUPED NULL -> 0, WRITEINSCHECK NULL -> 0\n"
        "T  batch row changed: EndTime NULL -> T, ImageCount NULL -> 4, BallotCount NULL -> 2\n"
        "T  batch row changed: ACCEPTED 0 -> 4\n"
        "T  seal row 1 changed: SHA256 " +
            QueryOn(AdminOnCentre(),
                    "SELECT SHA256 AS v FROM ImageSeals FOR SYSTEM_TIME ALL "
                    "WHERE BatchNo = 2 AND ImageSeq = 1 AND SHA256 <> "
                    "'corrected'")
                .toStdString() +
            " -> corrected\n"
            "Now: the batch row, 4 image rows, 4 seal rows.\n");
}

// Commands that change operators, station accounts or the schema leave a row each, also when
// they fail; the operator's password, read from standard input, is written nowhere else.
TEST_F(CentreAdmin, AdministratorsCommandsAreLogged) {
    CentreWithStation(3);
    ExecuteOn(AdminOnCentre(), "DELETE FROM AdminLog");
    const struct {
        QStringList arguments;
        QString logged;
    } commands[] = {
        {{"create-schema", "--connect", AdminOnCentre()},
         database_ + "|The schema is in place (MariaDB)."},
        {{"add-operator", "--connect", AdminOnCentre(), "--user", "clerk"},
         "clerk|Operator clerk added."},
        {{"remove-station", "--connect", Admin(), "--database", database_, "--system-id", "5"},
         "'station5'@'%'|failed: there is no account 'station5'@'%'"},
        {{"add-monitor", "--connect", Admin(), "--database", database_, "--account", "watcher"},
         "'watcher'@'%'|Account 'watcher'@'%' given a new password and reading rights only."},
    };
    QStringList logged;
    for (const auto& command : commands) {
        Run(command.arguments, "typed secret\n");
        logged << command.arguments.front() + u'|' + command.logged;
    }
    EXPECT_EQ(QueryOn(AdminOnCentre(), "SELECT Password AS v FROM Users WHERE UserID = 'clerk'"),
              "typed secret");
    EXPECT_EQ(QueryOn(AdminOnCentre(),
                      "SELECT GROUP_CONCAT(CONCAT_WS('|', Command, Target, Outcome) "
                      "ORDER BY AdminLogKey SEPARATOR '#') AS v FROM AdminLog WHERE "
                      "Account = 'root@localhost' AND ABS(TIMESTAMPDIFF(MINUTE, "
                      "LoggedAt, UTC_TIMESTAMP())) < 5"),
              logged.join(u'#'));
}

}  // namespace
