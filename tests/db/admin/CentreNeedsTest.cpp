// A station that starts on a centre without a table or a privilege it needs: one clear box naming
// the administrator's command, no batch started, the start-up statements of the load step all run;
// and the command it names mends the centre.

#include <gtest/gtest.h>

#include <QPushButton>

#include "CentreAdminFixture.h"
#include "HeadlessStation.h"
#include "support/TestDataSource.h"

namespace {

struct Lack {
    const char* damage;  // run by the administrator on the centre's database; %1 the database
    const char* told;
};

const Lack kLacks[] = {
    {"DROP TABLE AuditAnchors", "it has no table AuditAnchors."},
    {"DROP TABLE ImageSeals", "it has no table ImageSeals."},
    {"DROP TABLE ImageFiles", "it has no table ImageFiles."},
    {"ALTER TABLE AuditAnchors DROP COLUMN RecordLine",
     "it has no column AuditAnchors.RecordLine."},
    {"REVOKE INSERT ON %1.AuditAnchors FROM 'station3'@'%'",
     "This station's account may not add rows to AuditAnchors."},
    {"REVOKE DELETE ON %1.ImageSeals FROM 'station3'@'%'",
     "This station's account may not remove rows from ImageSeals."},
    {"REVOKE INSERT, DELETE ON %1.ImageFiles FROM 'station3'@'%'",
     "This station's account may not add rows to ImageFiles, nor remove rows from ImageFiles."},
};

TEST_F(CentreAdmin, AStationOnACentreThatLacksWhatItNeedsSaysSoOnceAndStartsNoBatch) {
    QString password = CentreWithStation(3);
    for (const Lack& lack : kLacks) {
        SCOPED_TRACE(lack.damage);
        Server().RunAsAdministrator(QStringLiteral("USE %1; ").arg(database_) +
                                    QString::fromLatin1(lack.damage).arg(database_));
        // An open batch left behind by the station's last run.
        ExecuteOn(AdminOnCentre(), "INSERT INTO Batches(SystemID,BatchNo) VALUES (3,5)");
        ExecuteOn(AdminOnCentre(), "INSERT INTO BallotImages(SystemID,BatchNo) VALUES (3,5)");
        {
            HeadlessStation station(3, StationConnectString(database_, "station3", password));
            VrelScan& window = station.Start();
            ASSERT_EQ(station.Shown().size(), 1);
            const QString box = station.Shown().front();
            EXPECT_TRUE(
                box.startsWith(u"Centre Database Incomplete | The centre's database "
                               u"cannot store this station's batches:"));
            EXPECT_TRUE(box.contains(QLatin1StringView(lack.told))) << box.toStdString();
            EXPECT_TRUE(box.contains(u"lindhollow-admin create-schema")) << box.toStdString();
            EXPECT_EQ(box.contains(u"add-station --system-id 3 --replace"),
                      QLatin1StringView(lack.damage).startsWith(u"REVOKE"));
            EXPECT_FALSE(window.cmdStartBatch->isEnabled());
            EXPECT_EQ(Query(AdminOnCentre(),
                            "SELECT CONCAT((SELECT Count(*) FROM Batches), ' ', (SELECT "
                            "Count(*) FROM BallotImages), ' ', STATUS, '/', CURRENTTASK) AS v "
                            "FROM SystemStatus WHERE SYSTEMID = 3"),
                      "0 0 ONLINE/STANDING BY");
        }
        // What the box names mends the centre.
        ASSERT_EQ(Run({"create-schema", "--connect", AdminOnCentre()}).exitCode, 0);
        if (QLatin1StringView(lack.damage).startsWith(u"REVOKE")) {
            const AdminToolResult added = Run({"add-station", "--connect", Admin(), "--database",
                                               database_, "--system-id", "3", "--replace"});
            ASSERT_EQ(added.exitCode, 0) << added.errors.toStdString();
            password = added.output.trimmed().section(u'\n', -1);
        }
        HeadlessStation mended(3, StationConnectString(database_, "station3", password));
        EXPECT_TRUE(mended.Start().cmdStartBatch->isEnabled());
        EXPECT_EQ(mended.Shown(), QStringList());
    }
}

}  // namespace
