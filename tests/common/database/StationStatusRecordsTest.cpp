#include <gtest/gtest.h>

#include "database/LHDataAbstraction.h"
#include "support/OperationTestSupport.h"
#include "support/TestDataSource.h"

namespace {

class StationStatusRecords : public testing::TestWithParam<const char*> {
  protected:
    void SetUp() override { source_ = MakeDataSource(QString::fromLatin1(GetParam())); }

    QString Connect() const { return source_->ConnectString(); }
    QString Query(const char* sql) const { return QueryOn(*source_, QString::fromLatin1(sql)); }
    // The station's row as "type,operator,status,task", or "" without a row.
    QString RowOf(int station) const {
        return FirstRow(*source_, {"SYSTEMTYPE", "USERID", "STATUS", "CURRENTTASK"},
                        QStringLiteral("FROM SystemStatus WHERE SYSTEMID = %1").arg(station))
            .join(u',');
    }

    // What the main window does while it loads.
    void Register(const QString& userId) {
        if (!StationStatusExists(Connect(), 3)) {
            ASSERT_TRUE(AddStationStatus(Connect(), 3, 1, userId, QStringLiteral("ONLINE"),
                                         QStringLiteral("STANDING BY")));
        }
        UpdateStationStatus(Connect(), 3, userId, QStringLiteral("ONLINE"),
                            QStringLiteral("STANDING BY"));
    }

    std::unique_ptr<TestDataSource> source_;
};

TEST_P(StationStatusRecords, FirstStartRegistersTheStation) {
    EXPECT_FALSE(StationStatusExists(Connect(), 3));
    Register(QStringLiteral("jsmith"));
    EXPECT_TRUE(StationStatusExists(Connect(), 3));
    EXPECT_EQ(RowOf(3), "1,jsmith,ONLINE,STANDING BY");
    EXPECT_EQ(Query("SELECT Count(*) AS v FROM SystemStatus"), "1");
}

TEST_P(StationStatusRecords, SecondStartUpdatesTheRowAndKeepsTheStationType) {
    ExecuteOn(*source_,
              "INSERT INTO SystemStatus(SYSTEMID,SYSTEMTYPE,USERID,STATUS,CURRENTTASK) "
              "VALUES (3,2,'old','OFFLINE','IDLE')");
    Register(QStringLiteral("jsmith"));
    EXPECT_EQ(RowOf(3), "2,jsmith,ONLINE,STANDING BY");
    EXPECT_EQ(Query("SELECT Count(*) AS v FROM SystemStatus"), "1");
}

TEST_P(StationStatusRecords, TheRowFollowsTheStationsWork) {
    ExecuteOn(*source_,
              "INSERT INTO SystemStatus(SYSTEMID,SYSTEMTYPE,USERID,STATUS,CURRENTTASK) "
              "VALUES (4,1,'other','ONLINE','SCANNING')");
    Register(QStringLiteral("jsmith"));
    UpdateStationStatus(Connect(), 3, QStringLiteral("jsmith"), QStringLiteral("ONLINE"),
                        QStringLiteral("SCANNING"));
    EXPECT_EQ(RowOf(3), "1,jsmith,ONLINE,SCANNING");
    UpdateStationStatus(Connect(), 3, QStringLiteral("jsmith"), QStringLiteral("OFFLINE"),
                        QStringLiteral("OFFLINE"));
    EXPECT_EQ(RowOf(3), "1,jsmith,OFFLINE,OFFLINE");
    SetStationOffline(Connect(), 3);
    EXPECT_EQ(RowOf(3), "1,jsmith,OFFLINE,IDLE");
    EXPECT_EQ(RowOf(4), "1,other,ONLINE,SCANNING");
}

TEST_P(StationStatusRecords, SetStationOfflineWithoutARowChangesNothing) {
    ExecuteOn(*source_,
              "INSERT INTO SystemStatus(SYSTEMID,SYSTEMTYPE,USERID,STATUS,CURRENTTASK) "
              "VALUES (4,1,'other','ONLINE','SCANNING')");
    SetStationOffline(Connect(), 3);
    EXPECT_EQ(Query("SELECT Count(*) AS v FROM SystemStatus"), "1");
    EXPECT_EQ(RowOf(4), "1,other,ONLINE,SCANNING");
}

TEST_P(StationStatusRecords, TwoRowsOfOneStationAreBothFoundAndBothUpdated) {
    for (int i = 0; i < 2; ++i) {
        ExecuteOn(*source_,
                  "INSERT INTO SystemStatus(SYSTEMID,SYSTEMTYPE,USERID,STATUS,CURRENTTASK) "
                  "VALUES (3,1,'old','OFFLINE','IDLE')");
    }
    EXPECT_TRUE(StationStatusExists(Connect(), 3));
    UpdateStationStatus(Connect(), 3, QStringLiteral("jsmith"), QStringLiteral("ONLINE"),
                        QStringLiteral("SCANNING"));
    EXPECT_EQ(Query("SELECT Count(*) AS v FROM SystemStatus WHERE USERID = 'jsmith' AND STATUS = "
                    "'ONLINE' AND CURRENTTASK = 'SCANNING'"),
              "2");
    SetStationOffline(Connect(), 3);
    EXPECT_EQ(Query("SELECT Count(*) AS v FROM SystemStatus WHERE STATUS = 'OFFLINE' AND "
                    "CURRENTTASK = 'IDLE'"),
              "2");
}

TEST_P(StationStatusRecords, AddStationStatusReportsTheRowItAdded) {
    EXPECT_TRUE(AddStationStatus(Connect(), 3, 1, QStringLiteral("jsmith"),
                                 QStringLiteral("ONLINE"), QStringLiteral("STANDING BY")));
    // Nothing keeps a station to one row: registering again adds a second.
    EXPECT_TRUE(AddStationStatus(Connect(), 3, 1, QStringLiteral("jsmith"),
                                 QStringLiteral("ONLINE"), QStringLiteral("STANDING BY")));
    EXPECT_EQ(Query("SELECT Count(*) AS v FROM SystemStatus WHERE SYSTEMID = 3"), "2");
}

INSTANTIATE_TEST_SUITE_P(Databases, StationStatusRecords, testing::Values("SQLite", "MariaDB"));

}  // namespace
