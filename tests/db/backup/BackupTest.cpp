// lindhollow-backup on a private MariaDB server: the restore drill after an administrator's
// mistake, the cases it must refuse or report, and what its account may not do.

#include <gtest/gtest.h>
#include <sys/mount.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QThread>
#include <memory>

#include "BackupScript.h"
#include "HeadlessStation.h"
#include "support/ChildProcess.h"

namespace {

using Outcome = HeadlessStation::Outcome;
constexpr const char* kMissing = "mariadb-backup is not installed (Debian package mariadb-backup)";

bool Missing() {
    return QStandardPaths::findExecutable("mariadb-backup").isEmpty();
}

// Two stations store batches; a full backup while station 2 scans its batch 2, more batches, an
// incremental one, more batches; then the images of station 1 are deleted by mistake.
TEST(BackupDrill, RestoresTheMomentBeforeAnAdministratorsDelete) {
    if (Missing()) {
        GTEST_SKIP() << kMissing;
    }
    BackupCentre centre;
    const QString source = centre.Server().Socket();
    HeadlessStation one(1, BackupCentre::Stations(centre.Server()));
    HeadlessStation two(2, BackupCentre::Stations(centre.Server()));
    one.Start();
    two.Start();
    ASSERT_EQ(one.ScanBatch(1, 3), Outcome::Closed);
    ASSERT_EQ(two.ScanBatch(1, 3), Outcome::Closed);
    ASSERT_TRUE(two.OpenBatch(2));
    qint16 next = 2;
    for (const char* kind : {"--full", "--incremental"}) {
        const BackupRun taken = centre.Script().Run({"take", kind});
        ASSERT_EQ(taken.exitCode, 0) << taken.errors.toStdString();
        ASSERT_EQ(one.ScanBatch(next++, 3), Outcome::Closed);
    }
    const QString sums = BackupCentre::Checksums(source);
    // --until counts whole seconds: the mistake comes in a later second than every write before.
    const QString before = BackupCentre::Query(source, "SELECT NOW()").trimmed();
    QString moment = before;
    for (QDeadlineTimer bound(5000); moment == before && !bound.hasExpired(); QThread::msleep(50)) {
        moment = BackupCentre::Query(source, "SELECT NOW()").trimmed();
    }
    centre.Server().RunAsAdministrator("DELETE FROM lindhollow.BallotImages WHERE SystemID = 1");

    const QString data = centre.Script().Path("restored");
    const QString logs = QFileInfo(BackupCentre::Query(source, "SELECT @@log_bin_basename")).path();
    const BackupRun restored =
        centre.Script().Run({"restore", centre.Script().BackupFolder(), "--until", moment,
                             "--datadir", data, "--binlogs", logs});
    ASSERT_EQ(restored.exitCode, 0) << restored.errors.toStdString();
    MariaDbTestServer copy{MariaDbTestServer::Options{}, data};
    EXPECT_EQ(BackupCentre::Checksums(copy.Socket()), sums);
    const auto batches = [&copy](const QString& where) {
        return BackupCentre::Query(copy.Socket(),
                                   "SELECT COUNT(*) FROM lindhollow.Batches b WHERE " + where)
            .trimmed();
    };
    EXPECT_EQ(batches("EndTime IS NOT NULL"), "4");
    EXPECT_EQ(
        batches("EndTime IS NOT NULL AND ImageCount <> (SELECT COUNT(*) FROM "
                "lindhollow.BallotImages i JOIN lindhollow.ImageSeals s USING (SystemID, "
                "BatchNo, ImageSeq) WHERE i.SystemID = b.SystemID AND i.BatchNo = b.BatchNo)"),
        "0");
    EXPECT_EQ(batches("SystemID = 2 AND BatchNo = 2 AND EndTime IS NULL"), "1");
    // Station 2 starts on the restored centre: its start-up removes the batch it left open.
    HeadlessStation(2, BackupCentre::Stations(copy)).Start();
    EXPECT_EQ(batches("EndTime IS NULL"), "0");
    EXPECT_EQ(batches("EndTime IS NOT NULL"), "4");
}

// One centre and one full backup of it for the cases below.
class Backup : public testing::Test {
  public:
    static void SetUpTestSuite() {
        if (Missing()) {
            return;
        }
        centre_ = std::make_unique<BackupCentre>();
        const BackupRun taken = centre_->Script().Run({"take", "--full"});
        ASSERT_EQ(taken.exitCode, 0) << taken.errors.toStdString();
        full_ = taken.output.section(u':', 0, 0);
    }
    static void TearDownTestSuite() { centre_.reset(); }
    void SetUp() override {
        if (!centre_) {
            GTEST_SKIP() << kMissing;
        }
    }
    // A copy of the full backup in the folder, which a case may spoil.
    static QString Copy(const QTemporaryDir& folder) {
        RunToEnd("cp", {"-a", full_, folder.path()});
        return folder.filePath(QFileInfo(full_).fileName());
    }

    static inline std::unique_ptr<BackupCentre> centre_;
    static inline QString full_;
};

struct BadCase {
    const char* name;
    // Sets the case up in the folder; lindhollow-backup's arguments, or none when this host
    // cannot set it up.
    QStringList (*arrange)(const QTemporaryDir& folder);
    const char* expected;  // in the errors, beside the folder's path
    int foldersLeft;       // in the folder afterwards
};

class BackupBadCases : public Backup, public testing::WithParamInterface<BadCase> {};

TEST_P(BackupBadCases, FailWithTheReasonAndLeaveNothingLookingComplete) {
    QTemporaryDir folder;
    const QStringList arguments = GetParam().arrange(folder);
    if (arguments.isEmpty()) {
        GTEST_SKIP() << "this host cannot mount a small tmpfs (needs root)";
    }
    const BackupRun run = centre_->Script().Run(arguments);
    umount(folder.path().toUtf8());
    EXPECT_EQ(run.exitCode, 1) << run.output.toStdString();
    EXPECT_TRUE(run.errors.contains(folder.path()) && run.errors.contains(GetParam().expected))
        << run.errors.toStdString();
    EXPECT_EQ(
        QDir(folder.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden).size(),
        GetParam().foldersLeft);
}

INSTANTIATE_TEST_SUITE_P(
    Table, BackupBadCases,
    testing::Values(BadCase{"FileChanged",
                            [](const QTemporaryDir& folder) {
                                const QString copy = Backup::Copy(folder);
                                RunToEnd("sh", {"-c", "echo x >> \"$0\"", copy + "/data/ibdata1"});
                                return QStringList{"verify", copy};
                            },
                            "/data/ibdata1: changed", 1},
                    BadCase{"FileMissing",
                            [](const QTemporaryDir& folder) {
                                const QString copy = Backup::Copy(folder);
                                QFile::remove(copy + "/data/backup-my.cnf");
                                return QStringList{"verify", copy};
                            },
                            "/data/backup-my.cnf: missing", 1},
                    BadCase{"UntilBeforeTheFullBackup",
                            [](const QTemporaryDir& folder) {
                                return QStringList{"restore",   Backup::Copy(folder),
                                                   "--until",   "2000-01-01 00:00:00",
                                                   "--datadir", folder.filePath("restored")};
                            },
                            "a backup holds no earlier moment", 1},
                    BadCase{"NoSpace",
                            [](const QTemporaryDir& folder) {
                                return mount("tmpfs", folder.path().toUtf8(), "tmpfs", 0,
                                             "size=2m") == 0
                                           ? QStringList{"take", "--full", "--target",
                                                         folder.path()}
                                           : QStringList{};
                            },
                            "no space left in", 0}),
    [](const testing::TestParamInfo<BadCase>& info) { return std::string(info.param.name); });

// The backup account adds rows to Backups; every other write, and every read of the centre's
// tables, is refused.
class BackupAccount : public Backup,
                      public testing::WithParamInterface<std::pair<const char*, bool>> {};

TEST_P(BackupAccount, MayOnlyAddBackupRows) {
    EXPECT_EQ(centre_->Script().RunAsAccount(GetParam().first), GetParam().second);
}

INSTANTIATE_TEST_SUITE_P(
    Table, BackupAccount,
    testing::Values(std::pair{"INSERT INTO lindhollow.Backups (BackupName, Kind, Event, "
                              "PeriodMinutes, SourceServer, Bytes) VALUES ('b', 'full', 'taken', "
                              "1, 's', 1)",
                              true},
                    std::pair{"UPDATE lindhollow.Backups SET Bytes = 0", false},
                    std::pair{"DELETE FROM lindhollow.Backups", false},
                    std::pair{"INSERT INTO lindhollow.Batches (SystemID, BatchNo) VALUES (9, 9)",
                              false},
                    std::pair{"DELETE FROM lindhollow.BallotImages", false},
                    std::pair{"UPDATE lindhollow.SystemStatus SET STATUS = 'X'", false},
                    std::pair{"INSERT INTO lindhollow.AdminLog (LoggedAt, Account, Command, "
                              "Outcome) VALUES (NOW(), 'a', 'c', 'o')",
                              false},
                    std::pair{"SELECT * FROM lindhollow.ImageFiles", false},
                    std::pair{"CREATE TABLE lindhollow.Other (i INT PRIMARY KEY)", false},
                    std::pair{"DROP TABLE lindhollow.AdminLog", false},
                    std::pair{"PURGE BINARY LOGS BEFORE NOW()", false},
                    std::pair{"CREATE USER intruder", false}));

}  // namespace
