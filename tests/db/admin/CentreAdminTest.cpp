// lindhollow-admin for a counting centre on MariaDB: the centre's database, the stations'
// accounts, their data sources and the check of a station's set-up, on private servers.

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <functional>
#include <memory>

#include "AdminToolRun.h"
#include "CentreAdminFixture.h"
#include "HeadlessStation.h"
#include "database/Connection.h"
#include "database/DatabaseError.h"
#include "database/Recordset.h"
#include "support/MariaDbTestServer.h"
#include "support/TestDataSource.h"

namespace {

MariaDbTestServer& CaseSensitiveServer() {
    static MariaDbTestServer server{
        MariaDbTestServer::Options{.defaultsFile = {}, .arguments = {}}};
    return server;
}

TEST_F(CentreAdmin, CreatesTheCentreOnceInUtf8mb4) {
    for (int run = 0; run < 2; ++run) {
        const AdminToolResult result =
            Run({"create-centre", "--connect", Admin(), "--database", database_});
        EXPECT_EQ(result.exitCode, 0) << result.errors.toStdString();
        EXPECT_TRUE(result.output.contains("is in place")) << result.output.toStdString();
        EXPECT_FALSE(result.output.contains("Warning")) << result.output.toStdString();
    }
    EXPECT_EQ(Query(Admin(), QStringLiteral("SELECT COUNT(*) AS v FROM information_schema.TABLES "
                                            "WHERE TABLE_SCHEMA = '%1'")
                                 .arg(database_)),
              "9");
    EXPECT_EQ(Query(Admin(), QStringLiteral("SELECT DEFAULT_CHARACTER_SET_NAME AS v FROM "
                                            "information_schema.SCHEMATA WHERE SCHEMA_NAME = '%1'")
                                 .arg(database_)),
              "utf8mb4");
}

TEST_F(CentreAdmin, AServerComparingTableNamesByCaseIsRefusedWithTheFix) {
    MariaDbTestServer& server = CaseSensitiveServer();
    server.RunAsAdministrator(QStringLiteral("CREATE DATABASE IF NOT EXISTS bare"));
    for (const QStringList& command :
         {QStringList{"create-centre", "--connect", server.AdministratorConnectString(),
                      "--database", database_},
          QStringList{"create-schema", "--connect",
                      server.AdministratorConnectString() + QStringLiteral("DATABASE=bare")}}) {
        const AdminToolResult result = Run(command);
        EXPECT_EQ(result.exitCode, 1) << command.front().toStdString();
        // Nor does this server keep the session clock from the stations' accounts.
        EXPECT_EQ(result.output.contains("Warning: The server lets any account set its session "
                                         "clock (secure_timestamp = NO)"),
                  command.front() == u"create-centre")
            << result.output.toStdString();
        EXPECT_TRUE(result.errors.contains("(lower_case_table_names = 0)") &&
                    result.errors.contains("Put lower_case_table_names = 1 into the server's "
                                           "configuration"))
            << result.errors.toStdString();
    }
    EXPECT_EQ(Query(server.AdministratorConnectString(),
                    QStringLiteral("SELECT COUNT(*) AS v FROM information_schema.TABLES WHERE "
                                   "TABLE_SCHEMA IN ('%1', 'bare')")
                        .arg(database_)),
              "0");
}

struct Attempt {
    const char* statement;
    bool allowed;
};

// What a station's account may do, in this order on one connection.
const Attempt kStationAttempts[] = {
    {"SELECT UserID, Password, PrivilegeLevel FROM Users", true},
    {"INSERT INTO Batches(SystemID,BatchNo) VALUES (4,1)", true},
    {"UPDATE Batches SET ImageCount = 1 WHERE SystemID = 4", true},
    {"INSERT INTO BallotImages(SystemID,BatchNo) VALUES (4,1)", true},
    {"SELECT Count(BallotSN) AS v FROM BallotImages WHERE SystemID = 4", true},
    {"DELETE BallotImages FROM BallotImages INNER JOIN Batches ON BallotImages.BatchNo = "
     "Batches.BatchNo AND BallotImages.SystemID = Batches.SystemID WHERE Batches.SystemID = 4",
     true},
    {"DELETE FROM Batches WHERE SystemID = 4", true},
    {"INSERT INTO ImageSeals(SystemID,BatchNo,ImageSeq,BallotSN,SHA256) VALUES (4,1,0,1,'a')",
     true},
    {"SELECT SHA256 FROM ImageSeals WHERE SystemID = 4", true},
    {"UPDATE ImageSeals SET SHA256 = 'b' WHERE SystemID = 4", false},
    {"DELETE FROM ImageSeals WHERE SystemID = 4", true},
    {"INSERT INTO ImageFiles(SystemID,BatchNo,ImageSeq,SHA256,ImageData) VALUES (4,1,0,'a','b')",
     true},
    {"SELECT ImageData FROM ImageFiles WHERE SystemID = 4", true},
    {"UPDATE ImageFiles SET ImageData = 'c' WHERE SystemID = 4", false},
    {"DELETE FROM ImageFiles WHERE SystemID = 4", true},
    {"INSERT INTO SystemStatus(SYSTEMID,STATUS) VALUES (4,'ONLINE')", true},
    {"UPDATE SystemStatus SET Status = 'OFFLINE' WHERE SYSTEMID = 4", true},
    {"DELETE FROM SystemStatus WHERE SYSTEMID = 4", true},
    // Anchors are added, with the server's word on who and when; never read, changed or removed.
    {"INSERT INTO AuditAnchors VALUES (4,'',1,'','2000-01-01 00:00:00','forged',NULL,NULL)", true},
    {"SELECT Hash FROM AuditAnchors", false},
    {"UPDATE AuditAnchors SET Sequence = 2", false},
    {"DELETE FROM AuditAnchors", false},
    {"INSERT INTO Users(UserID,Password) VALUES ('x','y')", false},
    {"UPDATE Users SET Password = 'x'", false},
    {"DELETE FROM Users", false},
    {"CREATE TABLE Extra (a INT)", false},
    {"ALTER TABLE Batches ADD COLUMN Extra INT", false},
    {"CREATE INDEX Extra ON Batches(UserID)", false},
    {"TRUNCATE TABLE BallotImages", false},
    {"DROP TABLE Batches", false},
    {"SELECT User FROM mysql.user", false},
    {"CREATE DATABASE extra", false},
    {"GRANT SELECT ON Users TO 'station4'@'%'", false},
    {"SELECT * FROM AdminLog", false},
    {"INSERT INTO AdminLog(LoggedAt,Account,Command,Outcome) VALUES (NOW(),'a','b','c')", false},
    {"DELETE HISTORY FROM Batches", false},
};

void ExpectOnlyStationWork(const QString& connectString) {
    Connection connection;
    connection.Open(connectString);
    for (const Attempt& attempt : kStationAttempts) {
        try {
            connection.Execute(QString::fromLatin1(attempt.statement));
            EXPECT_TRUE(attempt.allowed) << attempt.statement;
        } catch (const DatabaseError& error) {
            EXPECT_FALSE(attempt.allowed) << attempt.statement << ": " << error.what();
            EXPECT_TRUE(error.message().contains(u"denied")) << error.what();
        }
    }
}

TEST_F(CentreAdmin, AStationAccountMayDoWhatTheStationDoesAndNothingElse) {
    const QString first = CentreWithStation(4);
    ASSERT_EQ(first.size(), 24);
    ExpectOnlyStationWork(StationConnectString(database_, "station4", first));
    EXPECT_EQ(Query(AdminOnCentre(),
                    "SELECT CONCAT(Account LIKE 'station4@%', YEAR(AnchoredAt) "
                    "> 2000) AS v FROM AuditAnchors"),
              "11");

    AdminToolResult result =
        Run({"add-station", "--connect", Admin(), "--database", database_, "--system-id", "4"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.errors.contains("--replace")) << result.errors.toStdString();

    // Replacing takes back what else the account was given, and the old password.
    Server().RunAsAdministrator(
        QStringLiteral("GRANT INSERT, DELETE ON %1.Users TO 'station4'@'%'").arg(database_));
    result = Run({"add-station", "--connect", Admin(), "--database", database_, "--system-id", "4",
                  "--replace"});
    ASSERT_EQ(result.exitCode, 0) << result.errors.toStdString();
    const QString second = result.output.trimmed().section(u'\n', -1);
    EXPECT_NE(second, first);
    ExpectOnlyStationWork(StationConnectString(database_, "station4", second));
    Connection old;
    EXPECT_THROW(old.Open(StationConnectString(database_, "station4", first)), DatabaseError);

    const QStringList remove = {"remove-station", "--connect",   Admin(), "--database",
                                database_,        "--system-id", "4"};
    EXPECT_EQ(Run(remove).exitCode, 0);
    Connection removed;
    EXPECT_THROW(removed.Open(StationConnectString(database_, "station4", second)), DatabaseError);
    result = Run(remove);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.errors.contains("there is no account 'station4'@'%'"))
        << result.errors.toStdString();
}

TEST_F(CentreAdmin, WritesTheStationsDataSourceForItsOwnerAlone) {
    // An earlier file that others could read.
    QFile ini(OdbcIni());
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[Other]\nDriver=SQLite3\n");
    ini.close();
    ASSERT_EQ(chmod(QFile::encodeName(OdbcIni()).constData(), 0644), 0);
    const QString authority = home_.filePath(QStringLiteral("ca.pem"));
    ASSERT_TRUE(QFile(authority).open(QIODevice::WriteOnly));

    const QStringList withTls = {"write-dsn",  "--name",   "Centre", "--mariadb",
                                 "db.example", "--port",   "3307",   "--account",
                                 "station4",   "--ssl-ca", authority};
    AdminToolResult result = Run(withTls, "s3cret\n");
    ASSERT_EQ(result.exitCode, 0) << result.errors.toStdString();
    const auto read = [this] {
        QFile file(OdbcIni());
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return QString::fromUtf8(file.readAll());
    };
    const auto mode = [this] {
        struct stat status {};
        stat(QFile::encodeName(OdbcIni()).constData(), &status);
        return status.st_mode & 0777;
    };
    EXPECT_EQ(mode(), 0600u);
    EXPECT_TRUE(read().contains(
        QStringLiteral(
            "[Centre]\nDriver=MariaDB Unicode\nSERVER=db.example\nPORT=3307\nDATABASE=lindhollow\n"
            "USER=station4\nPASSWORD=s3cret\nOPTION=2\nSSLCA=%1\nSSLVERIFY=1\nFORCETLS=1\n")
            .arg(authority)))
        << read().toStdString();
    EXPECT_TRUE(read().contains("[Other]"));

    EXPECT_TRUE(Run(withTls, "s3cret\n").output.contains("unchanged"));
    const QStringList withoutTls = withTls.mid(0, 9) + QStringList{"--insecure"};
    result = Run(withoutTls, "s3cret\n");
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.errors.contains("--force")) << result.errors.toStdString();
    EXPECT_EQ(Run(withoutTls + QStringList{"--force"}, "s3cret\n").exitCode, 0);
    EXPECT_FALSE(read().contains("SSLCA")) << read().toStdString();
    EXPECT_EQ(mode(), 0600u);

    result = Run(withoutTls + QStringList{"--force"}, "\n");
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.errors.contains("no password")) << result.errors.toStdString();

    // The server's own socket needs no encryption.
    result =
        Run({"write-dsn", "--name", "Local", "--mariadb", "localhost", "--account", "a"}, "s\n");
    EXPECT_EQ(result.exitCode, 0) << result.errors.toStdString();
}

// One thing broken in an otherwise complete station set-up, and what the check says.
struct Breakage {
    const char* name;
    std::function<void(class StationSetUpCheck&)> breakIt;
    const char* said;
};

class StationSetUpCheck : public CentreAdmin, public testing::WithParamInterface<Breakage> {
  public:
    void SetUp() override {
        CentreAdmin::SetUp();
        password = CentreWithStation(6);
        ASSERT_EQ(Run({"add-operator", "--connect", AdminOnCentre(), "--user", "demo", "--password",
                       "demo", "--privilege", "1"})
                      .exitCode,
                  0);
        WriteDataSource(Server().Port(), database_, password);
        ASSERT_TRUE(QDir().mkpath(home_.filePath(QStringLiteral("intray"))));
        Settings({"--system-id", "6"});
    }

    // The station's settings file with these values beside the usual ones.
    void Settings(const QStringList& values) {
        const AdminToolResult result =
            Run(QStringList{"write-settings", "--system-type", "1", "--intray",
                            home_.filePath(QStringLiteral("intray")), "--scanner-ini",
                            "scanner.ini", "--sql-connect", "DSN=Lindhollow;", "--force"} +
                values);
        ASSERT_EQ(result.exitCode, 0) << result.errors.toStdString();
    }

    void WriteDataSource(int port, const QString& database, const QString& secret) {
        const AdminToolResult result =
            Run({"write-dsn", "--name", "Lindhollow", "--mariadb", "127.0.0.1", "--port",
                 QString::number(port), "--database", database, "--account", "station6",
                 "--insecure", "--force"},
                secret.toUtf8() + '\n');
        ASSERT_EQ(result.exitCode, 0) << result.errors.toStdString();
    }
    void AsAdministrator(const char* sql) {
        Server().RunAsAdministrator(QString::fromLatin1(sql).arg(database_));
    }

    QString password;
};

TEST_P(StationSetUpCheck, SaysWhatIsWrongInPlainWords) {
    GetParam().breakIt(*this);
    const AdminToolResult result = Run({"check-station", "--user", "demo"});
    const bool sound = QLatin1StringView(GetParam().name) == u"nothing";
    EXPECT_EQ(result.exitCode, 1) << result.output.toStdString();
    EXPECT_TRUE(result.output.contains(QString::fromUtf8(GetParam().said)))
        << result.output.toStdString();
    // This server takes unencrypted connections, a problem besides the row's own wherever the
    // station connects; EncryptedCentreTest checks a set-up without any.
    EXPECT_EQ(result.output.count("PROBLEM: ") - result.output.count(" is not encrypted: "),
              sound ? 0 : 1)
        << result.output.toStdString();
    EXPECT_FALSE(result.output.contains(password)) << result.output.toStdString();
}

// The centre's schema on a server that compares table names by case, as created before the
// server was set up for the centre.
void CaseSensitiveCentre() {
    QFile schema(QStringLiteral(LINDHOLLOW_SOURCE_DIR "/db/schema/mariadb.sql"));
    ASSERT_TRUE(schema.open(QIODevice::ReadOnly));
    CaseSensitiveServer().RunAsAdministrator(
        QStringLiteral("CREATE DATABASE IF NOT EXISTS cased; USE cased;") +
        QString::fromUtf8(schema.readAll()) +
        QStringLiteral("; DELETE FROM Users; INSERT INTO Users VALUES ('demo', 'demo', 1);"
                       "CREATE USER IF NOT EXISTS 'station6'@'%' IDENTIFIED BY 'pw';"
                       "GRANT ALL ON cased.* TO 'station6'@'%';"));
}

INSTANTIATE_TEST_SUITE_P(
    Table, StationSetUpCheck,
    testing::Values(
        Breakage{"nothing", [](StationSetUpCheck&) {},
                 "(DSN=Lindhollow;) is not encrypted: whoever is on the network"},
        Breakage{"other_station",
                 [](StationSetUpCheck& t) {
                     const QString secret = "DSN=Lindhollow;UID=station6;PWD=" + t.password + ';';
                     t.Settings({"--system-id", "5", "--dsn", secret, "--sql-connect", secret});
                 },
                 "(DSN=Lindhollow;UID=station6;PWD=***;) logs in as the account of station 6, "
                 "but this station's number (SYSTEM_ID) is 5"},
        Breakage{"unreachable",
                 [](StationSetUpCheck& t) {
                     t.WriteDataSource(t.ClosedPort(), t.database_, t.password);
                 },
                 "The database server cannot be reached."},
        Breakage{
            "password",
            [](StationSetUpCheck& t) { t.WriteDataSource(t.Server().Port(), t.database_, "x"); },
            "The server refused the account or its password."},
        Breakage{"privilege",
                 [](StationSetUpCheck& t) {
                     t.AsAdministrator("REVOKE UPDATE ON %1.SystemStatus FROM 'station6'@'%'");
                 },
                 "The account may not UPDATE rows of SystemStatus, which the station does.  On "
                 "the centre: GRANT UPDATE ON centre_"},
        Breakage{"table",
                 [](StationSetUpCheck& t) { t.AsAdministrator("DROP TABLE %1.BallotImages"); },
                 "The table BallotImages is missing."},
        Breakage{"operator",
                 [](StationSetUpCheck& t) { t.AsAdministrator("DELETE FROM %1.Users"); },
                 "There is no operator demo in the table Users."},
        Breakage{"privilege_level",
                 [](StationSetUpCheck& t) {
                     t.AsAdministrator("UPDATE %1.Users SET PrivilegeLevel = NULL");
                 },
                 "The operator demo has no privilege level and cannot log in."},
        Breakage{"audit_log",
                 [](StationSetUpCheck& t) {
                     // Under a file, where no folder for the log can be made.
                     const QString file = t.home_.filePath(QStringLiteral("not-a-folder"));
                     QFile(file).open(QIODevice::WriteOnly);
                     const AdminToolResult result = t.Run(
                         {"write-settings", "--system-id", "6", "--system-type", "1", "--intray",
                          t.home_.filePath(QStringLiteral("intray")), "--scanner-ini",
                          "scanner.ini", "--sql-connect", "DSN=Lindhollow;", "--audit-log-file",
                          file + QStringLiteral("/audit.jsonl"), "--force"});
                     ASSERT_EQ(result.exitCode, 0) << result.errors.toStdString();
                 },
                 "/not-a-folder/audit.jsonl cannot be written"},
        Breakage{"case",
                 [](StationSetUpCheck& t) {
                     CaseSensitiveCentre();
                     t.WriteDataSource(CaseSensitiveServer().Port(), "cased", "pw");
                 },
                 "(lower_case_table_names = 0)"},
        // The same server, also not set up for the centre's clock.
        Breakage{"clock",
                 [](StationSetUpCheck& t) {
                     CaseSensitiveCentre();
                     t.WriteDataSource(CaseSensitiveServer().Port(), "cased", "pw");
                 },
                 "WARNING: DSNCONNECTSTR (DSN=Lindhollow;): The server lets any account set its "
                 "session clock (secure_timestamp = NO)"}),
    [](const testing::TestParamInfo<Breakage>& info) { return info.param.name; });

}  // namespace
