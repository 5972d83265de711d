// What a MariaDB centre guards by itself: each station account keeps to its own station's rows,
// batch and image rows keep their history, administrators' commands are logged, and secrets are
// not printed.

#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QTemporaryDir>

#include "AdminToolRun.h"
#include "HeadlessStation.h"
#include "database/ConnectString.h"
#include "database/Connection.h"
#include "database/DatabaseError.h"
#include "support/MariaDbTestServer.h"
#include "support/TestDataSource.h"

namespace {

MariaDbTestServer& Server() {
    return MariaDbTestServer::Instance();
}

// A centre's database made by lindhollow-admin, with the account of station 3.
class GuardedCentre : public testing::Test {
  protected:
    void SetUp() override {
        static int centres = 0;
        database_ = QStringLiteral("guarded_%1").arg(++centres);
        ASSERT_EQ(Run({"create-centre", "--connect", Admin(), "--database", database_}).exitCode,
                  0);
        const AdminToolResult added = Run({"add-station", "--connect", Admin(), "--database",
                                           database_, "--system-id", "3", "--replace"});
        ASSERT_EQ(added.exitCode, 0) << added.errors.toStdString();
        station_ = QStringLiteral(
                       "Driver=MariaDB Unicode;SERVER=127.0.0.1;PORT=%1;DATABASE=%2;"
                       "USER=station3;PASSWORD=%3;OPTION=2;")
                       .arg(Server().Port())
                       .arg(database_, added.output.trimmed().section(u'\n', -1));
    }
    void TearDown() override {
        Server().RunAsAdministrator(QStringLiteral("DROP DATABASE %1").arg(database_));
    }

    AdminToolResult Run(const QStringList& arguments, const QByteArray& input = {}) {
        return RunAdminTool(arguments, home_.path(), home_.filePath(QStringLiteral("odbc.ini")),
                            input);
    }
    static QString Admin() { return Server().AdministratorConnectString(); }
    QString AdminOnCentre() const { return Admin() + QStringLiteral("DATABASE=") + database_; }
    bool HasTable(const QString& table) const {
        return QueryOn(AdminOnCentre(), QStringLiteral("SELECT Count(*) AS v FROM "
                                                       "information_schema.TABLES WHERE "
                                                       "TABLE_SCHEMA = DATABASE() AND "
                                                       "TABLE_NAME = '%1'")
                                            .arg(table.toLower())) == u"1";
    }

    QTemporaryDir home_;
    QString database_;
    QString station_;
};

// One statement kind on one table; %1 is the station whose rows it touches. Every other station's
// batch 12 and the station's own are there before each statement.
struct RowStatement {
    const char* table;
    const char* sql;
};

const RowStatement kRowStatements[] = {
    {"Batches",
     "INSERT INTO Batches(BatchNo,StartTime,SystemID,UserID) VALUES (13, "
     "'2026-12-07 10:00:00', %1, 'demo')"},
    {"Batches",
     "UPDATE Batches SET ImageCount = 1, BallotCount = 1, EndTime = '2026-12-07 "
     "10:30:00' WHERE BatchNo = 12 AND SystemID = %1"},
    {"Batches",
     "UPDATE Batches SET SystemID = %1, BatchNo = 14 WHERE BatchNo = 12 AND SystemID = 3"},
    {"Batches", "DELETE FROM Batches WHERE BatchNo = 12 AND SystemID = %1"},
    {"BallotImages",
     "INSERT INTO BallotImages(SystemID,BatchNo,ImageSeq,BallotSN,Status,Error) "
     "VALUES (%1,12,1,'1',0,0)"},
    {"BallotImages", "UPDATE BallotImages SET Status = 7 WHERE SystemID = %1 AND BatchNo = 12"},
    {"BallotImages", "DELETE FROM BallotImages WHERE SystemID = %1 AND BatchNo = 12"},
    {"BallotImages",
     "DELETE BallotImages FROM BallotImages INNER JOIN Batches ON BallotImages.BatchNo = "
     "Batches.BatchNo AND BallotImages.SystemID = Batches.SystemID WHERE Batches.SystemID = %1 "
     "AND Batches.EndTime IS NULL"},
    {"SystemStatus",
     "INSERT INTO SystemStatus(SYSTEMID,SYSTEMTYPE,USERID,STATUS,CURRENTTASK) "
     "VALUES (%1,1,'demo','ONLINE','STANDING BY')"},
    {"SystemStatus",
     "UPDATE SystemStatus SET USERID = 'demo', Status = 'ONLINE', CURRENTTASK = "
     "'SCANNING' WHERE SystemID = %1"},
    {"SystemStatus", "DELETE FROM SystemStatus WHERE SYSTEMID = %1"},
    {"ImageSeals",
     "INSERT INTO ImageSeals(SystemID,BatchNo,ImageSeq,BallotSN,SHA256) VALUES "
     "(%1,12,1,1,REPEAT('a',64))"},
    {"ImageSeals", "DELETE FROM ImageSeals WHERE SystemID = %1 AND BatchNo = 12"},
    {"AuditAnchors",
     "INSERT INTO AuditAnchors(SystemID,LogID,Sequence,Hash,AnchoredAt,Account) "
     "VALUES (%1,REPEAT('b',32),1,REPEAT('c',64),'2026-12-07 10:00:00','x')"},
};

// Batch 12 of stations 3 and 4, open, with an image each; their status rows and seals.
void PutBothStationsRows(const QString& admin, bool seals) {
    QStringList statements;
    for (const char* table : {"Batches", "BallotImages", "SystemStatus"}) {
        statements << QStringLiteral("DELETE FROM %1").arg(QLatin1StringView(table));
    }
    for (int station : {3, 4}) {
        statements
            << QStringLiteral("INSERT INTO Batches(SystemID,BatchNo) VALUES (%1,12)").arg(station)
            << QStringLiteral(
                   "INSERT INTO BallotImages(SystemID,BatchNo,ImageSeq) VALUES (%1,12,0)")
                   .arg(station)
            << QStringLiteral("INSERT INTO SystemStatus(SYSTEMID) VALUES (%1)").arg(station);
    }
    if (seals) {
        statements << QStringLiteral("DELETE FROM ImageSeals")
                   << QStringLiteral(
                          "INSERT INTO ImageSeals VALUES (3,12,0,0,REPEAT('a',64)),"
                          "(4,12,0,0,REPEAT('a',64))");
    }
    for (const QString& statement : statements) {
        ExecuteOn(admin, statement);
    }
}

// Station 4's rows, as text.
QString RowsOfStation4(const QString& admin) {
    QStringList rows;
    for (const auto& [table, columns] :
         {std::pair{"Batches", "BatchNo, ImageCount, EndTime"},
          std::pair{"BallotImages", "BatchNo, ImageSeq, Status"},
          std::pair{"SystemStatus", "USERID, STATUS, CURRENTTASK"}}) {
        rows << QueryOn(admin, QStringLiteral("SELECT GROUP_CONCAT(CONCAT_WS(',', %2)) AS v FROM "
                                              "%1 WHERE SystemID = 4")
                                   .arg(QLatin1StringView(table), QLatin1StringView(columns)));
    }
    return rows.join(u' ');
}

// Each statement kind, on the station's own rows and on another station's, by the station's
// account and by the administrator's: only the station account on another's rows is refused.
TEST_F(GuardedCentre, AStationAccountChangesOnlyItsOwnStationsRows) {
    const bool seals = HasTable(QStringLiteral("ImageSeals"));
    int run = 0;
    for (const RowStatement& row : kRowStatements) {
        if (!HasTable(QString::fromLatin1(row.table))) {
            std::printf("no table %s here: its rows are not tried\n", row.table);
            continue;
        }
        for (const int station : {3, 4}) {
            for (const bool byStation : {true, false}) {
                PutBothStationsRows(AdminOnCentre(), seals);
                const QString statement = QString::fromLatin1(row.sql).arg(station);
                const QString before = RowsOfStation4(AdminOnCentre());
                const bool allowed = !byStation || station == 3;
                SCOPED_TRACE(statement.toStdString() + (byStation ? " by station3" : " by root"));
                try {
                    ExecuteOn(byStation ? station_ : AdminOnCentre(), statement);
                    EXPECT_TRUE(allowed);
                } catch (const DatabaseError& error) {
                    EXPECT_FALSE(allowed) << error.what();
                    EXPECT_TRUE(error.message().contains(
                        QStringLiteral("station3 may not %1 a row of station 4 in %2: a station "
                                       "account changes only its own rows.")
                            .arg(statement.section(u' ', 0, 0).toLower(),
                                 QString::fromLatin1(row.table))))
                        << error.what();
                }
                if (byStation) {
                    EXPECT_EQ(RowsOfStation4(AdminOnCentre()), before);
                }
                ++run;
            }
        }
    }
    EXPECT_GE(run, 44);
}

// The event lines of lindhollow-admin history, without their times.
QStringList HistoryEvents(const QString& output) {
    QStringList events;
    for (const QString& line : output.split(u'\n', Qt::SkipEmptyParts).mid(1)) {
        events << line.section(QStringLiteral("  "), 1);
    }
    return events;
}

// A station scans on its own account: a batch, then one that is lost while it is stored (the
// account may no longer insert images) and scanned again; then a tally is changed by hand. The
// history shows each step.
TEST_F(GuardedCentre, AStationsBatchLostAndScannedAgainShowsInItsHistory) {
    HeadlessStation station(3, station_);
    station.Start();
    ASSERT_EQ(station.ScanBatch(1, 2), HeadlessStation::Outcome::Closed);
    Server().RunAsAdministrator(
        QStringLiteral("REVOKE INSERT ON %1.BallotImages FROM 'station3'@'%'").arg(database_));
    ASSERT_EQ(station.ScanBatch(2, 2), HeadlessStation::Outcome::Lost);
    Server().RunAsAdministrator(
        QStringLiteral("GRANT INSERT ON %1.BallotImages TO 'station3'@'%'").arg(database_));
    ASSERT_EQ(station.ScanBatch(2, 2), HeadlessStation::Outcome::Closed);
    station.Close();
    ExecuteOn(AdminOnCentre(),
              "UPDATE Batches SET ACCEPTED = 4 WHERE SystemID = 3 AND BatchNo = 2");

    const AdminToolResult history =
        Run({"history", "--connect", AdminOnCentre(), "--system-id", "3", "--batch", "2"});
    ASSERT_EQ(history.exitCode, 0) << history.errors.toStdString();
    const QStringList events = HistoryEvents(history.output);
    const QStringList expected = {
        "batch row created: StartTime ",
        "batch row deleted",
        "batch row created: StartTime ",
        "image rows inserted: 4 (sequence 0 to 3), the last at ",
        "batch row changed: ACCEPTED NULL -> 0, REJECTED NULL -> 0, DELETED NULL -> 0, ",
        "batch row changed: EndTime NULL -> ",
        "batch row changed: ACCEPTED 0 -> 4",
        "Now: the batch row, 4 image rows.",
    };
    ASSERT_EQ(events.size(), expected.size()) << history.output.toStdString();
    for (qsizetype i = 0; i < events.size(); ++i) {
        EXPECT_TRUE(events[i].startsWith(expected[i]) ||
                    (i + 1 == events.size() && history.output.endsWith(expected[i] + u'\n')))
            << history.output.toStdString();
    }
    EXPECT_TRUE(events[0].contains("UserID demo")) << history.output.toStdString();
    EXPECT_TRUE(events[5].contains("ImageCount NULL -> 4, BallotCount NULL -> 2"))
        << history.output.toStdString();
}

// Every command that changes operators, station accounts or the schema leaves a row, also when
// it fails; the operator's password comes from standard input and is written nowhere else.
TEST_F(GuardedCentre, AdministratorsCommandsAreLogged) {
    ExecuteOn(AdminOnCentre(), "DELETE FROM AdminLog");
    const QString onCentre = AdminOnCentre();
    const struct {
        QStringList arguments;
        const char* input;
        QString target;
        const char* outcome;
    } commands[] = {
        {{"create-schema", "--connect", onCentre},
         "",
         database_,
         "The schema is in place (MariaDB)."},
        {{"add-operator", "--connect", onCentre, "--user", "clerk", "--privilege", "1"},
         "typed secret\n",
         "clerk",
         "Operator clerk added."},
        {{"add-operator", "--connect", onCentre, "--user", "clerk", "--privilege", "2"},
         "other secret\n",
         "clerk",
         "failed: An operator \"clerk\" already exists"},
        {{"remove-operator", "--connect", onCentre, "--user", "nobody"},
         "",
         "nobody",
         "failed: there is no operator nobody"},
        {{"remove-operator", "--connect", onCentre, "--user", "clerk"},
         "",
         "clerk",
         "Operator clerk removed."},
        {{"add-station", "--connect", Admin(), "--database", database_, "--system-id", "5"},
         "",
         "'station5'@'%'",
         "Account 'station5'@'%' given a new password"},
        {{"remove-station", "--connect", Admin(), "--database", database_, "--system-id", "5"},
         "",
         "'station5'@'%'",
         "Account 'station5'@'%' removed."},
    };
    for (const auto& command : commands) {
        const AdminToolResult result = Run(command.arguments, command.input);
        EXPECT_FALSE(result.output.contains("secret") || result.errors.contains("secret"));
        if (command.arguments[1] == u"add-operator" && result.exitCode == 0) {
            EXPECT_EQ(QueryOn(onCentre, "SELECT Password AS v FROM Users WHERE UserID = 'clerk'"),
                      "typed secret");
        }
    }
    const QStringList rows = QueryOn(onCentre,
                                     "SELECT GROUP_CONCAT(CONCAT_WS('|', Command, Target, Outcome, "
                                     "Account, ABS(TIMESTAMPDIFF(MINUTE, LoggedAt, "
                                     "UTC_TIMESTAMP())) < 5) ORDER BY AdminLogKey SEPARATOR "
                                     "'#') AS v FROM AdminLog")
                                 .split(u'#');
    ASSERT_EQ(rows.size(), std::size(commands)) << rows.join(u'#').toStdString();
    for (std::size_t i = 0; i < std::size(commands); ++i) {
        const QStringList fields = rows[qsizetype(i)].split(u'|');
        ASSERT_EQ(fields.size(), 5) << rows[qsizetype(i)].toStdString();
        EXPECT_EQ(fields[0], commands[i].arguments[0]);
        EXPECT_EQ(fields[1], commands[i].target);
        EXPECT_TRUE(fields[2].startsWith(QString::fromUtf8(commands[i].outcome)))
            << fields[2].toStdString();
        EXPECT_TRUE(fields[3].startsWith(u"root@")) << fields[3].toStdString();
        EXPECT_EQ(fields[4], "1") << "the time is UTC";
    }
}

struct Redaction {
    const char* text;
    const char* shown;
};

TEST(SecretsOfConnectStrings, AreShownAsStars) {
    const Redaction cases[] = {
        {"DSN=Lindhollow;UID=station3;PWD=s3cret;", "DSN=Lindhollow;UID=station3;PWD=***;"},
        {"Driver=MariaDB Unicode;PASSWORD={a;b=c};SERVER=db",
         "Driver=MariaDB Unicode;PASSWORD=***;SERVER=db"},
        {"dsn=x;pwd = s3cret", "dsn=x;pwd = ***"},
        {"DSNCONNECTSTR (DSN=x;Password=p)\nnext line",
         "DSNCONNECTSTR (DSN=x;Password=***\nnext line"},
        {"Access denied for user 'station3'@'localhost' (using password: YES)",
         "Access denied for user 'station3'@'localhost' (using password: YES)"},
        {"DSN=x;PWDX=not a password;", "DSN=x;PWDX=not a password;"},
    };
    for (const Redaction& redaction : cases) {
        EXPECT_EQ(WithoutSecrets(QString::fromUtf8(redaction.text)),
                  QString::fromUtf8(redaction.shown));
    }
}

}  // namespace
