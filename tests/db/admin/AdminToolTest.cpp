// lindhollow-admin as installers run it: a separate process with its own user
// data-source file and settings folder.

#include <gtest/gtest.h>

#include <QFile>
#include <QObject>
#include <QSettings>
#include <QTemporaryDir>

#include "AdminToolRun.h"
#include "settings/LoadStationSettings.h"
#include "settings/StationSettings.h"
#include "support/TestDataSource.h"

namespace {

using Result = AdminToolResult;

class AdminToolTest : public testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(home_.isValid()); }

    Result Run(const QStringList& arguments) {
        return RunAdminTool(arguments, home_.path(), OdbcIni());
    }

    virtual QString OdbcIni() { return home_.filePath(".odbc.ini"); }

    QTemporaryDir home_;
};

struct UsageCase {
    QStringList arguments;
    const char* complaint;
};

class BadCommandLines : public AdminToolTest, public testing::WithParamInterface<UsageCase> {};

TEST_P(BadCommandLines, AreRefusedWithStatus2AndTheReason) {
    const Result result = Run(GetParam().arguments);
    EXPECT_EQ(result.exitCode, 2) << result.errors.toStdString();
    EXPECT_TRUE(result.errors.contains(QString::fromUtf8(GetParam().complaint)))
        << result.errors.toStdString();
    EXPECT_TRUE(result.errors.contains("Usage: lindhollow-admin")) << result.errors.toStdString();
}

const QStringList kStation = {"write-settings", "--system-type", "1",         "--intray",
                              "/tmp/in",        "--scanner-ini", "/tmp/s.ini"};

INSTANTIATE_TEST_SUITE_P(
    Table, BadCommandLines,
    testing::Values(
        UsageCase{{}, "no command given"}, UsageCase{{"drop-everything"}, "unknown command line"},
        UsageCase{{"list-operators", "extra"}, "unknown command line"},
        UsageCase{{"verify-log"}, "verify-log needs at least one FILE"},
        UsageCase{{"show-log", "a", "b"}, "show-log needs exactly one FILE"},
        UsageCase{{"export-batch", "--connect", "x", "--out", "d"},
                  "export-batch needs either --batch N or --all-closed"},
        UsageCase{{"export-batch", "--connect", "x", "--out", "d", "--batch", "7"},
                  "--batch of export-batch needs --system-id"},
        UsageCase{{"add-operator", "--user", "a", "--password", ""}, "--password is required"},
        UsageCase{{"add-operator", "--user", "a", "--password", "b", "--privilege", "high"},
                  "--privilege must be a whole number"},
        UsageCase{{"list-operators", "--force"}, "--force does not belong"},
        UsageCase{{"write-dsn", "--name", "X"}, "--sqlite is required"},
        UsageCase{kStation, "--system-id is required"},
        UsageCase{kStation + QStringList{"--system-id", "0"},
                  "--system-id must be a whole station number from 1 to 20"},
        UsageCase{kStation + QStringList{"--system-id", "21"}, "from 1 to 20"},
        UsageCase{kStation + QStringList{"--system-id", "2.5"}, "from 1 to 20"},
        UsageCase{kStation + QStringList{"--system-id", "3", "--ballot-size", "300"},
                  "--ballot-size must be a ballot length in inches"},
        UsageCase{kStation + QStringList{"--system-id", "3", "--weighted", "yes"},
                  "--weighted must be True, False or a number"},
        UsageCase{{"add-station"}, "--system-id is required"},
        UsageCase{{"remove-station", "--system-id", "21"}, "from 1 to 20"},
        UsageCase{{"write-dsn", "--name", "X", "--mariadb", "h"}, "--account is required"},
        UsageCase{{"write-dsn", "--name", "X", "--mariadb", "h", "--port", "0"},
                  "--port must be a port number"},
        UsageCase{{"write-dsn", "--name", "X", "--mariadb", "h", "--sqlite", "f"},
                  "--sqlite does not belong"},
        UsageCase{{"check-station", "--force"}, "--force does not belong"},
        UsageCase{{"write-dsn", "--name", "X", "--mariadb", "h", "--account", "a"},
                  "--ssl-ca is required"},
        UsageCase{{"history", "--system-id", "three", "--batch", "1"},
                  "--system-id must be a whole number"}));

// The data sources of the tool and of this test process are the same file.
class AdminToolOnDatabase : public AdminToolTest, public testing::WithParamInterface<const char*> {
  protected:
    void SetUp() override {
        AdminToolTest::SetUp();
        source_ = MakeDataSource(QString::fromLatin1(GetParam()));
    }
    QString OdbcIni() override { return qEnvironmentVariable("ODBCINI"); }

    Result RunOn(QStringList arguments) {
        arguments << "--connect" << source_->ConnectString();
        return Run(arguments);
    }

    std::unique_ptr<TestDataSource> source_;
};

TEST_P(AdminToolOnDatabase, CreatesTheSchemaAgainWithoutTouchingRows) {
    ExecuteOn(*source_, "INSERT INTO Batches(SystemID,BatchNo) VALUES (3,12)");
    const Result result = RunOn({"create-schema"});
    EXPECT_EQ(result.exitCode, 0) << result.errors.toStdString();
    EXPECT_TRUE(result.output.contains("The schema is in place")) << result.output.toStdString();
    EXPECT_EQ(QueryOn(*source_, "SELECT Count(*) AS v FROM Batches"), "1");
}

// Galera replicates row changes by primary key: every table needs one, the surrogate ones last,
// where no statement of the station names them.
TEST_P(AdminToolOnDatabase, GivesEveryTableAPrimaryKeyTheStationNeverNames) {
    const bool sqlite = source_->Kind() == u"SQLite";
    EXPECT_EQ(QueryOn(*source_,
                      sqlite ? "SELECT Count(*) AS v FROM sqlite_master m WHERE type = 'table' AND "
                               "NOT EXISTS (SELECT 1 FROM pragma_table_info(m.name) WHERE pk > 0)"
                             : "SELECT Count(*) AS v FROM information_schema.TABLES t WHERE "
                               "TABLE_SCHEMA = DATABASE() AND NOT EXISTS (SELECT 1 FROM "
                               "information_schema.STATISTICS s WHERE s.TABLE_SCHEMA = "
                               "t.TABLE_SCHEMA AND s.TABLE_NAME = t.TABLE_NAME AND "
                               "s.INDEX_NAME = 'PRIMARY')"),
              "0");
    for (const auto& [table, key] :
         {std::pair{"BallotImages", "ImageRowKey"}, std::pair{"SystemStatus", "StatusRowKey"}}) {
        const QString last =
            sqlite ? QStringLiteral(
                         "SELECT name AS v FROM pragma_table_info('%1') WHERE pk = 1 "
                         "AND cid = (SELECT Max(cid) FROM pragma_table_info('%1'))")
                   : QStringLiteral(
                         "SELECT COLUMN_NAME AS v FROM information_schema.COLUMNS WHERE "
                         "TABLE_SCHEMA = DATABASE() AND TABLE_NAME = '%1' AND "
                         "COLUMN_KEY = 'PRI' ORDER BY ORDINAL_POSITION DESC LIMIT 1");
        EXPECT_EQ(QueryOn(*source_, last.arg(QString::fromLatin1(table).toLower())), key) << table;
    }
}

// A database made before the surrogate keys, the image seals, the image bytes and the anchored
// lines: MariaDB tables get the keys, their rows numbered, the seals and bytes get their tables and
// the anchors their column; an SQLite table cannot take a new primary key and keeps its rowid,
// which tells its rows apart.
TEST_P(AdminToolOnDatabase, GivesOlderTablesTheirKeysWithoutLosingRows) {
    const bool sqlite = source_->Kind() == u"SQLite";
    ExecuteOn(*source_, "DROP TABLE BallotImages");
    ExecuteOn(*source_, "DROP TABLE SystemStatus");
    ExecuteOn(*source_, "DROP TABLE ImageSeals");
    ExecuteOn(*source_, "DROP TABLE ImageFiles");
    ExecuteOn(*source_, "DROP TABLE AuditAnchors");
    ExecuteOn(*source_,
              "CREATE TABLE AuditAnchors (SystemID INT NOT NULL, LogID CHAR(32) NOT NULL, "
              "Sequence BIGINT NOT NULL, Hash CHAR(64) NOT NULL, AnchoredAt DATETIME "
              "NOT NULL, Account VARCHAR(128) NOT NULL, AnchorKey INT PRIMARY KEY)");
    ExecuteOn(*source_,
              "INSERT INTO AuditAnchors VALUES (3,'a',1,'b','2026-12-08 10:00:00','x',1)");
    ExecuteOn(*source_,
              "CREATE TABLE BallotImages (SystemID INT NOT NULL, BatchNo INT NOT NULL, "
              "ImageSeq INT, BallotSN INT, Status INT, Error INT, HasWriteIns INT NOT "
              "NULL DEFAULT 0, Repaired INT NOT NULL DEFAULT 0, Duped INT NOT NULL "
              "DEFAULT 0, WriteIn INT NOT NULL DEFAULT 0)");
    ExecuteOn(*source_,
              "CREATE TABLE SystemStatus (SYSTEMID INT NOT NULL, SYSTEMTYPE INT, USERID "
              "VARCHAR(64), STATUS VARCHAR(16), CURRENTTASK VARCHAR(16))");
    for (int copy = 0; copy < 2; ++copy) {
        ExecuteOn(*source_,
                  "INSERT INTO BallotImages(SystemID,BatchNo,ImageSeq,BallotSN,Status,"
                  "Error) VALUES (3,7,0,'300700000',9,0)");
        ExecuteOn(*source_,
                  "INSERT INTO SystemStatus(SYSTEMID,SYSTEMTYPE,USERID,STATUS,"
                  "CURRENTTASK) VALUES (3,1,'demo','ONLINE','STANDING BY')");
    }
    for (int run = 0; run < 2; ++run) {
        const Result result = RunOn({"create-schema"});
        ASSERT_EQ(result.exitCode, 0) << result.errors.toStdString();
        for (const auto& [table, key] : {std::pair{"BallotImages", "ImageRowKey"},
                                         std::pair{"SystemStatus", "StatusRowKey"}}) {
            const QString distinctKeys = QStringLiteral("SELECT Count(DISTINCT %1) AS v FROM %2")
                                             .arg(sqlite ? "rowid" : key, table);
            EXPECT_EQ(QueryOn(*source_, distinctKeys), "2") << table << " run " << run;
        }
        EXPECT_EQ(QueryOn(*source_, "SELECT Count(*) AS v FROM ImageSeals"), "0");
        EXPECT_EQ(QueryOn(*source_, "SELECT Count(*) AS v FROM ImageFiles"), "0");
        EXPECT_EQ(
            QueryOn(*source_, "SELECT Count(*) AS v FROM AuditAnchors WHERE RecordLine IS NULL"),
            "1");
    }
    if (!sqlite) {  // a MariaDB centre's history and the triggers that guard its rows, too
        EXPECT_EQ(
            QueryOn(
                *source_,
                "SELECT CONCAT(Count(*), '/', (SELECT Count(*) FROM "
                "information_schema.TRIGGERS WHERE TRIGGER_SCHEMA = DATABASE() AND "
                "EVENT_OBJECT_TABLE IN ('batches', 'ballotimages', 'systemstatus', 'imagefiles'))) "
                "AS v FROM information_schema.TABLES WHERE "
                "TABLE_SCHEMA = DATABASE() AND TABLE_TYPE = 'SYSTEM VERSIONED'"),
            "3/12");
    }
}

TEST_P(AdminToolOnDatabase, AddsListsAndRemovesOperators) {
    Result result = RunOn({"add-operator", "--user", "O'Brien", "--password", "Se'cret\\"});
    ASSERT_EQ(result.exitCode, 0) << result.errors.toStdString();
    EXPECT_EQ(QueryOn(*source_, "SELECT Password AS v FROM Users WHERE UserID = 'o''brien'"),
              "Se'cret\\");
    EXPECT_EQ(QueryOn(*source_, "SELECT PrivilegeLevel AS v FROM Users"), "NULL");

    result = RunOn({"add-operator", "--user", "O'Brien", "--password", "Se'cret\\"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_TRUE(result.output.contains("already there")) << result.output.toStdString();

    result = RunOn({"add-operator", "--user", "o'brien", "--password", "other"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.errors.contains("--replace")) << result.errors.toStdString();
    EXPECT_EQ(QueryOn(*source_, "SELECT Password AS v FROM Users"), "Se'cret\\");

    result = RunOn({"add-operator", "--user", "O'Brien", "--password", "other", "--privilege", "3",
                    "--replace"});
    EXPECT_EQ(result.exitCode, 0) << result.errors.toStdString();
    EXPECT_EQ(QueryOn(*source_, "SELECT PrivilegeLevel AS v FROM Users"), "3");

    ASSERT_EQ(RunOn({"add-operator", "--user", "adams", "--password", "x"}).exitCode, 0);
    result = RunOn({"list-operators"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.output, "adams\t-\nO'Brien\t3\n");

    EXPECT_EQ(RunOn({"remove-operator", "--user", "O'BRIEN"}).exitCode, 0);
    result = RunOn({"remove-operator", "--user", "O'BRIEN"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.errors.contains("there is no operator")) << result.errors.toStdString();
    EXPECT_EQ(QueryOn(*source_, "SELECT Count(*) AS v FROM Users"), "1");
}

TEST_P(AdminToolOnDatabase, RefusesIdentifiersThatCouldNeverLogIn) {
    const Result result = RunOn({"add-operator", "--user", " padded", "--password", "x"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.errors.contains("blank")) << result.errors.toStdString();
    EXPECT_EQ(QueryOn(*source_, "SELECT Count(*) AS v FROM Users"), "0");
}

INSTANTIATE_TEST_SUITE_P(Databases, AdminToolOnDatabase, testing::Values("SQLite", "MariaDB"));

TEST_F(AdminToolTest, UnreachableDatabaseFailsWithTheDriversMessage) {
    const Result result = Run({"list-operators", "--connect", "DSN=NoSuchSource;"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.errors.contains("database error: ")) << result.errors.toStdString();
    EXPECT_TRUE(result.errors.contains("Data source name not found"))
        << result.errors.toStdString();
}

TEST_F(AdminToolTest, WritesTheEmbeddedDataSourceOnceAndGuardsIt) {
    const QString database = home_.filePath("lindhollow.db");
    Result result = Run({"write-dsn", "--name", "Lindhollow", "--sqlite", database});
    ASSERT_EQ(result.exitCode, 0) << result.errors.toStdString();
    QFile ini(home_.filePath(".odbc.ini"));
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    const QByteArray written = ini.readAll();
    EXPECT_TRUE(written.contains("[Lindhollow]")) << written.toStdString();
    EXPECT_TRUE(written.contains(("Database=" + database).toUtf8())) << written.toStdString();
    EXPECT_TRUE(written.contains("JournalMode=WAL")) << written.toStdString();
    ini.close();

    result = Run({"write-dsn", "--name", "Lindhollow", "--sqlite", database});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_TRUE(result.output.contains("unchanged")) << result.output.toStdString();

    result = Run({"write-dsn", "--name", "Lindhollow", "--sqlite", home_.filePath("other.db")});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.errors.contains("--force")) << result.errors.toStdString();

    result = Run(
        {"write-dsn", "--name", "Lindhollow", "--sqlite", home_.filePath("other.db"), "--force"});
    EXPECT_EQ(result.exitCode, 0) << result.errors.toStdString();
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    EXPECT_TRUE(ini.readAll().contains("other.db"));

    // The data source works: the schema goes in through it.
    result = Run({"create-schema"});
    EXPECT_EQ(result.exitCode, 0) << result.errors.toStdString();
    EXPECT_TRUE(QFile::exists(home_.filePath("other.db")));
}

TEST_F(AdminToolTest, WritesStationSettingsThatTheStationLoadsWhole) {
    Result result = Run({"write-settings", "--system-id", "3", "--system-type", "1", "--intray",
                         home_.filePath("intray"), "--scanner-ini", "scanner.ini", "--dsn",
                         "DSN=Lindhollow;", "--ballot-size", "14", "--weighted", "true"});
    ASSERT_EQ(result.exitCode, 0) << result.errors.toStdString();
    EXPECT_TRUE(result.output.contains(home_.filePath("config/KestranaLindhollow.ini")))
        << result.output.toStdString();

    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, home_.filePath("config"));
    StationSettings settings;
    LoadStationSettings(settings);
    EXPECT_EQ(settings.DSNCONNECTSTR, "DSN=Lindhollow;");
    EXPECT_EQ(settings.INTRAY, home_.filePath("intray") + "/");
    EXPECT_EQ(settings.BALLOTSIZE, 14);
    EXPECT_EQ(settings.WEIGHTED_ELECTION, true);
    EXPECT_EQ(settings.SYSTEM_ID, 3);
    EXPECT_EQ(settings.SYSTEM_TYPE, 1);
    EXPECT_TRUE(settings.SCANNER_INI.endsWith("/scanner.ini"));

    result = Run({"write-settings", "--system-id", "3", "--system-type", "1", "--intray",
                  home_.filePath("intray"), "--scanner-ini", "scanner.ini", "--dsn",
                  "DSN=Lindhollow;", "--ballot-size", "14", "--weighted", "true"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_TRUE(result.output.contains("unchanged")) << result.output.toStdString();

    result = Run({"write-settings", "--system-id", "4", "--system-type", "1", "--intray",
                  home_.filePath("intray"), "--scanner-ini", "scanner.ini"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.errors.contains("SYSTEM_ID = 3")) << result.errors.toStdString();
}

}  // namespace
