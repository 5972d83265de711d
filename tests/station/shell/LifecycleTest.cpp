#include <gtest/gtest.h>

#include <QCheckBox>
#include <QPushButton>
#include <QtGlobal>

#include "LifecycleFixture.h"
#include "database/DatabaseError.h"
#include "database/LHDataAbstraction.h"
#include "database/StatementObserver.h"

namespace {

QStringList StartUpWrites(const QString& ini) {
    return {
        QStringLiteral("KScan1 write 112 = \"8000\" (text)"),
        QStringLiteral("KScan1 write 3 = 3 (32-bit)"),
        QStringLiteral("KScan1 write 8 = 0 (32-bit)"),
        QStringLiteral("KScan1 write 3 = 1 (32-bit)"),
        QStringLiteral("KScan1 write 79 = \"%1\" (text)").arg(ini),
        QStringLiteral("KScan1 write 80 = \"KSCAN\" (text)"),
        QStringLiteral("KScan1 write 3 = 8 (32-bit)"),
        QStringLiteral("KScan1 write 84 = object (object)"),
        QStringLiteral("KImgp1 write 7 = \"%1\" (text)").arg(ini),
        QStringLiteral("KImgp1 write 8 = \"KImgp\" (text)"),
        QStringLiteral("KImgp1 write 2 = 2 (32-bit)"),
    };
}

TEST_F(LifecycleTest, NewStationIsAddedThenUpdated) {
    station_.Start();
    EXPECT_EQ(StationStatements(station_.statements),
              (QStringList{kSelectStation, kInsertStation, kUpdateOnline}));
    EXPECT_EQ(
        station_.Query(QStringLiteral("SELECT SYSTEMTYPE || '/' || USERID AS v FROM SystemStatus")),
        QStringLiteral("1/demo"));
}

TEST_F(LifecycleTest, ExistingStationIsOnlyUpdated) {
    station_.Execute(
        QStringLiteral("INSERT INTO SystemStatus(SYSTEMID,SYSTEMTYPE,USERID,STATUS,CURRENTTASK) "
                       "VALUES (3, 9, 'jdoe', 'OFFLINE', 'IDLE')"));
    station_.Start();
    EXPECT_EQ(StationStatements(station_.statements), (QStringList{kSelectStation, kUpdateOnline}));
    EXPECT_EQ(station_.Query(QStringLiteral(
                  "SELECT SYSTEMTYPE || '/' || USERID || '/' || COUNT(*) AS v FROM SystemStatus")),
              QStringLiteral("9/demo/1"));
}

TEST_F(LifecycleTest, StartUpSequenceAndButtons) {
    station_.Start();
    QStringList expected = StartUpWrites(Ini());
    expected.append(QStringLiteral("KImgp1 read 45 -> True (Boolean)"));
    EXPECT_EQ(station_.fakes.calls(), expected);
    VrelScan& window = *station_.window;
    EXPECT_TRUE(window.LOGIN_SUCCEEDED);
    EXPECT_EQ(window.USER_ID, QStringLiteral("demo"));
    EXPECT_EQ(window.PRIVILEGE_LEVEL, 1);
    EXPECT_EQ(EnabledButtons(window), "cmdStartBatch");
    EXPECT_EQ(window.chkActivateEndorser->checkState(), Qt::Checked);
    EXPECT_TRUE(window.chkActivateEndorser->isEnabled());
    ASSERT_TRUE(window.DbConnection);
    EXPECT_NE(window.DbConnection->State(), 0);
    EXPECT_EQ(station_.login.shown, 1);
}

TEST_F(LifecycleTest, NoEndorserGraysTheCheckBox) {
    station_.fakes.KImgp1.setValue(KImgp::EndorserFitted, false);
    station_.Start();
    EXPECT_EQ(station_.window->chkActivateEndorser->checkState(), Qt::PartiallyChecked);
    EXPECT_FALSE(station_.window->chkActivateEndorser->isEnabled());
}

TEST_F(LifecycleTest, OpenBatchesOfThisStationAreDeletedWithTheirImages) {
    AddBatchRows(4, false);
    AddBatchRows(5, true);
    station_.Execute(
        QStringLiteral("INSERT INTO Batches(SystemID,BatchNo) VALUES (8,5)"));  // another station
    station_.Start();
    EXPECT_EQ(Count("Batches", "SystemID = 3"), QStringLiteral("1"));
    EXPECT_EQ(Count("Batches", "SystemID = 3 AND BatchNo = 4"), QStringLiteral("1"));
    EXPECT_EQ(Count("BallotImages", "BatchNo = 5"), QStringLiteral("0"));
    EXPECT_EQ(Count("BallotImages", "BatchNo = 4"), QStringLiteral("1"));
    EXPECT_EQ(Count("Batches", "SystemID = 8"), QStringLiteral("1"));
    // Their seals and bytes go after the batch rows, by the rows no longer there.
    for (const char* table : {"ImageSeals", "ImageFiles"}) {
        EXPECT_EQ(Count(QLatin1String(table), "BatchNo = 5"), QStringLiteral("0")) << table;
        EXPECT_EQ(Count(QLatin1String(table), "BatchNo = 4"), QStringLiteral("1")) << table;
    }
}

TEST_F(LifecycleTest, EmptySqlConnectStringStopsSilentlyAtTheConnection) {
    station_.SetSettings({{"SQLCONNECTSTR", QString()}});
    station_.fakes.KImgp1.setValue(KImgp::EndorserFitted, false);
    AddBatchRows(5, true);
    station_.Start();
    VrelScan& window = *station_.window;
    EXPECT_FALSE(window.Ended());
    EXPECT_TRUE(station_.dialogs.shown.isEmpty());
    // Scanner and station row are in place; the endorser box and the open batch are not touched.
    EXPECT_EQ(station_.fakes.calls(), StartUpWrites(Ini()));
    EXPECT_EQ(window.chkActivateEndorser->checkState(), Qt::Checked);
    EXPECT_TRUE(window.chkActivateEndorser->isEnabled());
    EXPECT_EQ(Count("Batches", "BatchNo = 5"), QStringLiteral("1"));
    EXPECT_TRUE(window.cmdStartBatch->isEnabled());
}

TEST_F(LifecycleTest, RetryAfterScannerOffCompletesWithoutSecondLogin) {
    station_.fakes.KScan1.raiseOnWrite(KScan::Action, 20086, QStringLiteral("No scanner"));
    station_.dialogs.answers = {Dialogs::Answer::Retry};
    station_.Start();
    EXPECT_EQ(station_.login.shown, 1);
    ASSERT_EQ(station_.dialogs.shown.size(), 1);
    EXPECT_EQ(station_.dialogs.shown[0],
              (ShownBox{QStringLiteral("Scanner is not hooked up or power is off.  Connect and "
                                       "turn on the scanner."),
                        QStringLiteral("Scanner Failure"), Dialogs::Buttons::RetryCancel,
                        Dialogs::Icon::None}));
    // The failed attempt stopped at its first Action; the second ran the whole sequence.
    QStringList expected = StartUpWrites(Ini()).mid(0, 2);
    expected += StartUpWrites(Ini());
    expected.append(QStringLiteral("KImgp1 read 45 -> True (Boolean)"));
    EXPECT_EQ(station_.fakes.calls(), expected);
    EXPECT_EQ(StationStatements(station_.statements),
              (QStringList{kSelectStation, kInsertStation, kUpdateOnline}));
}

TEST_F(LifecycleTest, CancelAfterScannerOffEndsWithoutStatus) {
    station_.fakes.KScan1.raiseOnWrite(KScan::IniFile, 20086, QStringLiteral("No scanner"));
    station_.dialogs.answers = {Dialogs::Answer::Cancel};
    VrelScan& window = station_.MakeWindow();
    window.Form_Load();
    EXPECT_TRUE(window.Ended());
    EXPECT_EQ(station_.dialogs.shown.size(), 1);
    station_.window->close();
    station_.window.reset();
    EXPECT_TRUE(StationStatements(station_.statements).isEmpty());
    EXPECT_EQ(station_.Query(QStringLiteral("SELECT COUNT(*) AS v FROM SystemStatus")),
              QStringLiteral("0"));
}

TEST_F(LifecycleTest, ScannerReservedEndsTheProgram) {
    station_.fakes.KScan1.raiseOnWrite(KScan::Action, 20012, QStringLiteral("Reserved"));
    VrelScan& window = station_.MakeWindow();
    window.Form_Load();
    EXPECT_TRUE(window.Ended());
    ASSERT_EQ(station_.dialogs.shown.size(), 1);
    EXPECT_EQ(station_.dialogs.shown[0],
              (ShownBox{QStringLiteral("Scanner is already reserved by another program.  Restart "
                                       "application when scanner is available."),
                        QStringLiteral("Scanner Already Reserved"), Dialogs::Buttons::OK,
                        Dialogs::Icon::None}));
    station_.window.reset();
    EXPECT_TRUE(StationStatements(station_.statements).isEmpty());
}

TEST_F(LifecycleTest, OtherScannerErrorIsDroppedSilently) {
    station_.fakes.KScan1.raiseOnWrite(KScan::ImageProcessing, 20100, QStringLiteral("Wrong type"));
    VrelScan& window = station_.MakeWindow();
    window.Form_Load();
    EXPECT_FALSE(window.Ended());
    EXPECT_TRUE(station_.dialogs.shown.isEmpty());
    EXPECT_TRUE(window.cmdStartBatch->isEnabled());
    EXPECT_FALSE(window.cmdStartScanner->isEnabled());
    EXPECT_TRUE(StationStatements(station_.statements).isEmpty());
}

TEST_F(LifecycleTest, StationThatCannotRegisterEnds) {
    SetStatementObserver([this](const QString& statement) {
        station_.statements.append(statement);
        if (statement.startsWith(u"INSERT INTO SystemStatus")) {
            throw DatabaseError(QStringLiteral("refused"));
        }
    });
    VrelScan& window = station_.MakeWindow();
    window.Form_Load();
    EXPECT_TRUE(window.Ended());
    ASSERT_EQ(station_.dialogs.shown.size(), 1);
    EXPECT_EQ(
        station_.dialogs.shown[0],
        (ShownBox{QStringLiteral("Unable to Log Into Network Monitor.  Session Terminated."),
                  QStringLiteral("VrelScanning"), Dialogs::Buttons::OK, Dialogs::Icon::None}));
    station_.window.reset();
    EXPECT_EQ(StationStatements(station_.statements),
              (QStringList{kSelectStation, kInsertStation}));
}

TEST_F(LifecycleTest, AnUnwritableAuditLogIsToldOnceAndTheStationGoesOn) {
    station_.SetSettings({{"AUDIT_LOG_FILE", "/dev/full"}});
    VrelScan& window = station_.Start();
    window.cmdStartScanner->setEnabled(true);
    station_.OpenBatch(7);
    window.cmdStartScanner->click();
    window.cmdStopScanner->click();
    ASSERT_EQ(station_.Shown().size(), 1);
    EXPECT_EQ(station_.Shown()[0],
              QStringLiteral("Audit Log | The station's audit log cannot be written: /dev/full: "
                             "cannot write the audit log: %1.  The station goes on without it.  "
                             "Tell the centre's administrator. | OK | exclamation")
                  .arg(QString::fromLocal8Bit(strerror(ENOSPC))));
    EXPECT_EQ(station_.StationRow(), QStringLiteral("ONLINE/STANDING BY"));
    EXPECT_EQ(EnabledButtons(window), "cmdEndBatch cmdStartScanner");
}

struct LoginEnd {
    const char* what;
    QList<LoginStep> steps;
    QStringList logins;  // the audit log's records of the attempts
};

class LoginEndsTheProgram : public LifecycleTest, public testing::WithParamInterface<LoginEnd> {};

TEST_P(LoginEndsTheProgram, WithoutStatusOrScanner) {
    station_.login.steps = GetParam().steps;
    VrelScan& window = station_.MakeWindow();
    window.Form_Load();
    EXPECT_TRUE(window.Ended());
    EXPECT_FALSE(window.LOGIN_SUCCEEDED);
    EXPECT_FALSE(station_.login.leftOpen);
    EXPECT_TRUE(station_.fakes.calls().isEmpty());
    window.close();
    station_.window.reset();
    EXPECT_TRUE(StationStatements(station_.statements).isEmpty());
    QStringList trail = station_.AuditTrail(2);  // after audit-log-opened and station-started
    ASSERT_FALSE(trail.isEmpty());
    EXPECT_TRUE(trail.takeLast().startsWith(u"station-ended "));
    EXPECT_EQ(trail,
              QStringList{
                  QStringLiteral(R"(settings-loaded {"file":"%1"})").arg(station_.SettingsFile())} +
                  GetParam().logins +
                  QStringList{R"(station-start-refused {"reason":"no operator logged in"})"});
}

INSTANTIATE_TEST_SUITE_P(
    Login, LoginEndsTheProgram,
    testing::Values(LoginEnd{"Escape", {{LoginStep::Escape}}, {}},
                    LoginEnd{"CloseBox", {{LoginStep::CloseBox}}, {}},
                    LoginEnd{"CloseAfterRefusal",
                             {{LoginStep::Submit, "demo", "DEMO"}, {LoginStep::CloseBox}},
                             {R"(login-refused {"reason":"no user with this user id and )"
                              R"(password","user":"demo"})"}}),
    [](const testing::TestParamInfo<LoginEnd>& info) { return info.param.what; });

struct StationNumberCase {
    const char* what;
    std::optional<QString> stored;
    const char* opening;
};

class StationNumberRefused : public LifecycleTest,
                             public testing::WithParamInterface<StationNumberCase> {};

TEST_P(StationNumberRefused, BeforeLoginAndDatabase) {
    station_.SetSettings({{"SYSTEM_ID", GetParam().stored}});
    VrelScan& window = station_.MakeWindow();
    window.Form_Load();
    EXPECT_TRUE(window.Ended());
    EXPECT_EQ(station_.login.shown, 0);
    ASSERT_EQ(station_.dialogs.shown.size(), 1);
    const ShownBox& box = station_.dialogs.shown[0];
    EXPECT_EQ(box.title, QStringLiteral("Station Number"));
    EXPECT_EQ(box.icon, Dialogs::Icon::Critical);
    EXPECT_TRUE(box.text.startsWith(QString::fromUtf8(GetParam().opening)))
        << box.text.toStdString();
    EXPECT_TRUE(box.text.contains(QStringLiteral("Set SYSTEM_ID in section [SystemSettings] of ") +
                                  station_.SettingsFile() +
                                  QStringLiteral(" to a station number from 1 to 20.")))
        << box.text.toStdString();
    station_.window.reset();
    EXPECT_TRUE(station_.statements.isEmpty());
    EXPECT_TRUE(station_.fakes.calls().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Settings, StationNumberRefused,
    testing::Values(
        StationNumberCase{"Absent", std::nullopt, "No station number is configured.  "},
        StationNumberCase{"Zero", "0", "No station number is configured.  "},
        StationNumberCase{"TwentyOne", "21",
                          "Station number 21 cannot be used: its image serials do not fit.  "},
        StationNumberCase{"Negative", "-3",
                          "Station number -3 cannot be used: its image serials do not fit.  "}),
    [](const testing::TestParamInfo<StationNumberCase>& info) { return info.param.what; });

TEST_F(LifecycleTest, StationTwentyStarts) {
    station_.SetSettings({{"SYSTEM_ID", "20"}});
    station_.MakeWindow().Form_Load();
    EXPECT_FALSE(station_.window->Ended());
    EXPECT_EQ(
        station_.Query(QStringLiteral("SELECT STATUS AS v FROM SystemStatus WHERE SYSTEMID = 20")),
        QStringLiteral("ONLINE"));
}

}  // namespace
