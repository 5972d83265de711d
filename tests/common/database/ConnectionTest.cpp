#include "database/Connection.h"

#include <gtest/gtest.h>

#include "database/DatabaseError.h"
#include "database/Recordset.h"
#include "support/MariaDbTestServer.h"
#include "support/OdbcUserFile.h"
#include "support/TestDataSource.h"

namespace {

class ConnectionTest : public testing::TestWithParam<const char*> {
  protected:
    void SetUp() override { source_ = MakeDataSource(QString::fromLatin1(GetParam())); }

    void Open() { connection_.Open(source_->ConnectString()); }

    std::unique_ptr<TestDataSource> source_;
    Connection connection_;
};

TEST_P(ConnectionTest, OpensExecutesAndCloses) {
    EXPECT_EQ(connection_.State(), 0);
    Open();
    EXPECT_NE(connection_.State(), 0);
    EXPECT_EQ(
        connection_.Execute("INSERT INTO Batches(BatchNo,SystemID,UserID) VALUES (1, 3, 'a')"), 1);
    EXPECT_EQ(
        connection_.Execute("INSERT INTO Batches(BatchNo,SystemID,UserID) VALUES (2, 3, 'a')"), 1);
    EXPECT_EQ(connection_.Execute("UPDATE Batches SET UserID = 'b' WHERE SystemID = 3"), 2);
    // Rows that already hold the values still count: matched, not changed.
    EXPECT_EQ(connection_.Execute("UPDATE Batches SET UserID = 'b' WHERE SystemID = 3"), 2);
    EXPECT_EQ(connection_.Execute("DELETE FROM Batches WHERE SystemID = 4"), 0);
    connection_.Close();
    EXPECT_EQ(connection_.State(), 0);
    EXPECT_THROW(connection_.Execute("DELETE FROM Batches"), DatabaseError);
}

TEST_P(ConnectionTest, EmptyResultIsAtItsEndRightAfterOpening) {
    Open();
    Recordset rows;
    EXPECT_EQ(rows.State(), 0);
    rows.Open("SELECT BatchNo from Batches WHERE BatchNo = 12 AND SystemID = 3", connection_);
    EXPECT_NE(rows.State(), 0);
    EXPECT_TRUE(rows.Eof());
    EXPECT_THROW(rows.MoveFirst(), DatabaseError);
    EXPECT_THROW(rows.Fields("BatchNo"), DatabaseError);
    rows.Close();
    EXPECT_EQ(rows.State(), 0);
}

TEST_P(ConnectionTest, ReadsFieldsByNameInAnyLetterCaseAndTellsNullFromZeroAndEmpty) {
    Open();
    connection_.Execute(
        "INSERT INTO BallotImages(SystemID,BatchNo,ImageSeq,BallotSN,Status,Error) VALUES "
        "(3,7,0,NULL,0,5)");
    connection_.Execute("INSERT INTO Users(UserID,Password,PrivilegeLevel) VALUES ('', 'x', 0)");
    connection_.Execute("INSERT INTO Users(UserID,Password,PrivilegeLevel) VALUES ('n', '', NULL)");

    Recordset rows;
    rows.Open("SELECT BallotSN, Status, Error FROM BallotImages WHERE SystemID = 3", connection_);
    ASSERT_FALSE(rows.Eof());
    rows.MoveFirst();
    EXPECT_TRUE(rows.Fields("ballotsn").Value().isNull());
    EXPECT_FALSE(rows.Fields("STATUS").Value().isNull());
    EXPECT_EQ(rows.Fields("Status").Value().toInt(), 0);
    EXPECT_EQ(rows.Fields("eRROR").Value().toInt(), 5);
    EXPECT_THROW(rows.Fields("NoSuchColumn"), DatabaseError);

    rows.Open("SELECT UserID, Password, PrivilegeLevel FROM Users ORDER BY UserID", connection_);
    ASSERT_FALSE(rows.Eof());
    EXPECT_FALSE(rows.Fields("UserID").Value().isNull());
    EXPECT_EQ(rows.Fields("UserID").Value().toString(), QString());
    EXPECT_FALSE(rows.Fields("PrivilegeLevel").Value().isNull());
    EXPECT_EQ(rows.Fields("PrivilegeLevel").Value().toInt(), 0);
    rows.MoveNext();
    ASSERT_FALSE(rows.Eof());
    EXPECT_EQ(rows.Fields("UserID").Value().toString(), QStringLiteral("n"));
    EXPECT_FALSE(rows.Fields("Password").Value().isNull());
    EXPECT_TRUE(rows.Fields("PrivilegeLevel").Value().isNull());
    rows.MoveFirst();
    EXPECT_EQ(rows.Fields("UserID").Value().toString(), QString());
    rows.MoveNext();
    rows.MoveNext();
    EXPECT_TRUE(rows.Eof());
}

TEST_P(ConnectionTest, AliasedCountReadsByItsAlias) {
    Open();
    for (int seq = 0; seq < 3; ++seq) {
        connection_.Execute(
            QStringLiteral("INSERT INTO BallotImages(SystemID,BatchNo,ImageSeq,"
                           "BallotSN,Status,Error) VALUES (3,7,%1,'30070000%1',7,0)")
                .arg(seq));
    }
    Recordset rows;
    rows.Open(
        "SELECT Count(BallotSN) as CountOfBallots FROM BallotImages WHERE Status = 7 AND "
        "SystemID = 3 AND BatchNo = 7",
        connection_);
    ASSERT_FALSE(rows.Eof());
    EXPECT_EQ(rows.Fields("CountOfBallots").Value().toLongLong(), 3);
}

TEST_P(ConnectionTest, RejectedStatementRaisesTheDriversMessage) {
    Open();
    try {
        connection_.Execute("INSERT INTO NoSuchTable(x) VALUES (1)");
        FAIL() << "the statement was accepted";
    } catch (const DatabaseError& error) {
        EXPECT_TRUE(error.message().contains(u"NoSuchTable", Qt::CaseInsensitive)) << error.what();
    }
    Recordset rows;
    EXPECT_THROW(rows.Open("SELECT Nothing FROM Batches", connection_), DatabaseError);
    EXPECT_EQ(rows.State(), 0);
    // A refused statement leaves the connection usable.
    EXPECT_EQ(connection_.Execute("DELETE FROM Batches"), 0);
}

TEST_P(ConnectionTest, UnbalancedQuoteIsRejectedAndChangesNothing) {
    Open();
    connection_.Execute("INSERT INTO SystemStatus(SYSTEMID,USERID) VALUES (3,'x')");
    EXPECT_THROW(
        connection_.Execute("UPDATE SystemStatus SET USERID = 'O'Brien' WHERE SystemID = 3"),
        DatabaseError);
    EXPECT_EQ(QueryOn(*source_, "SELECT USERID AS v FROM SystemStatus"), "x");
}

TEST_P(ConnectionTest, BackslashInsideATextIsAPlainCharacter) {
    Open();
    connection_.Execute("INSERT INTO Users(UserID,Password) VALUES ('back\\', 'x\\''y')");
    EXPECT_EQ(QueryOn(*source_, "SELECT Password AS v FROM Users WHERE UserID = 'back\\'"),
              "x\\'y");
}

TEST_P(ConnectionTest, OperatorIdentifiersMatchInAnyCasePasswordsExactly) {
    Open();
    connection_.Execute(
        "INSERT INTO Users(UserID,Password,PrivilegeLevel) VALUES ('JSmith','Pw',2)");
    EXPECT_EQ(QueryOn(*source_,
                      "SELECT UserID AS v FROM Users WHERE UserID = 'jsmith' and "
                      "Password = 'Pw'"),
              "JSmith");
    EXPECT_EQ(QueryOn(*source_,
                      "SELECT UserID AS v FROM Users WHERE UserID = 'JSMITH' and "
                      "Password = 'pw'"),
              "");
}

TEST_P(ConnectionTest, IdentifiersMatchInAnyLetterCase) {
    Open();
    EXPECT_EQ(connection_.Execute("INSERT INTO systemstatus(systemid,SystemType,UserId,Status,"
                                  "currenttask) VALUES (3,1,'a','ONLINE','SCANNING')"),
              1);
    EXPECT_EQ(connection_.Execute("UPDATE SYSTEMSTATUS SET Status = 'OFFLINE',CurrentTask = "
                                  "'IDLE' WHERE SYSTEMID = 3"),
              1);
}

// The images of station 3's open batch 5 go; station 3's closed batch 4 and
// station 4's closed batch 5 keep theirs.
TEST_P(ConnectionTest, JoinedDeleteRemovesOnlyTheImagesOfThisStationsOpenBatches) {
    Open();
    connection_.Execute(
        "INSERT INTO Batches(SystemID,BatchNo,StartTime,EndTime) VALUES "
        "(3,5,'2026-12-06 05:00:00',NULL)");
    connection_.Execute(
        "INSERT INTO Batches(SystemID,BatchNo,StartTime,EndTime) VALUES "
        "(3,4,'2026-12-06 04:00:00','2026-12-06 04:30:00')");
    connection_.Execute(
        "INSERT INTO Batches(SystemID,BatchNo,StartTime,EndTime) VALUES "
        "(4,5,'2026-12-06 05:00:00','2026-12-06 05:30:00')");
    connection_.Execute(
        "INSERT INTO Batches(SystemID,BatchNo,StartTime,EndTime) VALUES "
        "(4,6,'2026-12-06 05:00:00',NULL)");
    const int images[][2] = {{3, 5}, {3, 5}, {3, 4}, {4, 5}, {4, 5}, {4, 6}, {3, 6}};
    for (const auto& [station, batch] : images) {
        connection_.Execute(
            QStringLiteral("INSERT INTO BallotImages(SystemID,BatchNo,ImageSeq) VALUES (%1,%2,0)")
                .arg(station)
                .arg(batch));
    }
    EXPECT_EQ(connection_.Execute(
                  "DELETE BallotImages FROM BallotImages INNER JOIN Batches ON "
                  "BallotImages.BatchNo = Batches.BatchNo AND BallotImages.SystemID = "
                  "Batches.SystemID WHERE Batches.SystemID = 3 AND Batches.EndTime IS NULL"),
              2);
    EXPECT_EQ(QueryOn(*source_,
                      "SELECT Count(*) AS v FROM BallotImages WHERE SystemID = 3 AND BatchNo = 5"),
              "0");
    EXPECT_EQ(QueryOn(*source_, "SELECT Count(*) AS v FROM BallotImages"), "5");
    EXPECT_EQ(QueryOn(*source_,
                      "SELECT Count(*) AS v FROM BallotImages WHERE SystemID = 4 AND BatchNo = 5"),
              "2");
}

TEST_P(ConnectionTest, DateTimeLiteralsAreAccepted) {
    Open();
    connection_.Execute(
        "INSERT INTO Batches(BatchNo,StartTime,SystemID,UserID) VALUES (12, "
        "'2026-12-06 05:22:53', 3, 'jsmith')");
    connection_.Execute(
        "INSERT INTO Batches(BatchNo,StartTime,SystemID,UserID) VALUES (13, "
        "'2026-12-06', 3, 'jsmith')");
    EXPECT_EQ(QueryOn(*source_,
                      "SELECT Count(*) AS v FROM Batches WHERE StartTime >= "
                      "'2026-12-06' AND EndTime IS NULL"),
              "2");
}

INSTANTIATE_TEST_SUITE_P(Databases, ConnectionTest, testing::Values("SQLite", "MariaDB"));

TEST(ConnectionFailure, UnreachableDataSourceRaisesTheDriverManagersMessage) {
    Connection connection;
    try {
        connection.Open(UnreachableConnectString());
        FAIL() << "opened a data source that does not exist";
    } catch (const DatabaseError& error) {
        EXPECT_TRUE(error.message().contains(u"Data source name not found")) << error.what();
    }
    EXPECT_EQ(connection.State(), 0);
    Recordset rows;
    EXPECT_THROW(rows.Open("SELECT 1", connection), DatabaseError);
}

// Even where the user has data sources, which unixODBC would otherwise fall back on.
TEST(ConnectionFailure, EmptyConnectStringRaises) {
    const auto source = MakeDataSource("SQLite");
    Connection connection;
    EXPECT_THROW(connection.Open(""), DatabaseError);
    EXPECT_THROW(connection.Open("DSN=;"), DatabaseError);
    EXPECT_EQ(connection.State(), 0);
}

// A data source without credentials, reached with UID and PWD in the connect string.
TEST(ConnectionCredentials, UserAndPasswordFromTheConnectStringReachMariaDb) {
    const std::unique_ptr<TestDataSource> source = MakeMariaDbDataSource();
    const QString bare = source->DataSourceName() + QStringLiteral("Bare");
    const MariaDbTestServer& server = MariaDbTestServer::Instance();
    AddUserDataSource(bare, {{"Driver", "MariaDB Unicode"},
                             {"SERVER", "127.0.0.1"},
                             {"PORT", QString::number(server.Port())},
                             {"DATABASE", QueryOn(*source, "SELECT DATABASE() AS v")},
                             {"OPTION", "2"}});
    Connection connection;
    connection.Open(QStringLiteral("DSN=%1;UID=%2;PWD={%3};")
                        .arg(bare, MariaDbTestServer::UserName(), MariaDbTestServer::Password()));
    EXPECT_EQ(connection.Execute("INSERT INTO Users(UserID,Password) VALUES ('a','b')"), 1);

    Connection refused;
    EXPECT_THROW(
        refused.Open(
            QStringLiteral("DSN=%1;UID=%2;PWD=wrong;").arg(bare, MariaDbTestServer::UserName())),
        DatabaseError);
}

}  // namespace
