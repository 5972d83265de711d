// The counting centre on a three-node Galera cluster behind haproxy, every link encrypted, in the
// short form that the test command runs: reads and changes that follow writes made on another
// node, stations scanning on while a node dies or is cut off and comes back, which stations and
// which nodes the cluster lets in, what a station's own account may not do on any node.
// cluster-benchmark is the longer form.

#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>

#include "BackupScript.h"
#include "ClusterCentre.h"
#include "ClusterFaults.h"
#include "database/LHDataAbstraction.h"
#include "support/ClosedBatchAttempts.h"
#include "support/GaleraTestCluster.h"
#include "support/HaproxyTestFront.h"
#include "support/QtPrinting.h"
#include "support/ScanningFloor.h"
#include "support/TestDataSource.h"

namespace {

constexpr int kStations = 2;
constexpr int kBallots = 3;

using Outcome = HeadlessStation::Outcome;

// One cluster and its proxy for every test of the process, whichever table it belongs to.
class ClusterEnvironment : public testing::Environment {
  public:
    void SetUp() override {
        missing_ = GaleraTestCluster::MissingPieces();
        if (missing_.isEmpty()) {
            missing_ = HaproxyTestFront::MissingPieces();
        }
        if (missing_.isEmpty()) {
            cluster_ = std::make_unique<GaleraTestCluster>();
            proxy_ = std::make_unique<HaproxyTestFront>(*cluster_);
        }
    }
    void TearDown() override {
        proxy_.reset();
        cluster_.reset();
    }

    static inline QString missing_;
    static inline std::unique_ptr<GaleraTestCluster> cluster_;
    static inline std::unique_ptr<HaproxyTestFront> proxy_;
};

[[maybe_unused]] testing::Environment* const kEnvironment =
    testing::AddGlobalTestEnvironment(new ClusterEnvironment);

class GaleraCluster : public testing::Test {
  protected:
    void SetUp() override {
        missing_ = ClusterEnvironment::missing_;
        cluster_ = ClusterEnvironment::cluster_.get();
        proxy_ = ClusterEnvironment::proxy_.get();
        if (!missing_.isEmpty()) {
            GTEST_SKIP() << "no Galera cluster on this host: " << missing_.toStdString();
        }
        static int tests = 0;
        centre_ = std::make_unique<ClusterCentre>(*cluster_, *proxy_,
                                                  QStringLiteral("lindhollow_%1").arg(++tests));
    }

    // Every node runs, is synced and holds the same rows; every image of every closed batch is
    // stored once, and nothing else.
    void ExpectOneStateEverywhere(const ScanningFloor& floor) {
        for (int node = 0; node < GaleraTestCluster::kNodes; ++node) {
            cluster_->WaitUntilSynced(node);
        }
        const QStringList sums = centre_->Checksums();
        ASSERT_EQ(sums.size(), GaleraTestCluster::kNodes);
        EXPECT_EQ(sums[1], sums[0]);
        EXPECT_EQ(sums[2], sums[0]);
        std::printf("node1's image rows and checksums: %s\n",
                    qPrintable(QString(sums[0]).replace(u'\n', u' ').replace(u'\t', u' ')));
        const ScanningFloor::Audit audit = floor.Check();
        EXPECT_TRUE(audit.Clean()) << audit.Summary().toStdString();
        std::printf("%d lost and scanned again; %s\n", floor.BatchesLost(),
                    qPrintable(audit.Summary()));
    }

    // The lost node comes back while the stations scan, and they scan on once it is synced.
    void ComeBackAndScanOn(int node, Cut cut, ScanningFloor& floor) {
        if (cut == Cut::Death) {
            cluster_->Restart(node);
        } else {
            cluster_->Heal(node);
        }
        floor.ScanRound();  // while the node catches up
        ExpectOneStateEverywhere(floor);
        floor.ScanRound();
        ExpectOneStateEverywhere(floor);
    }

    QString missing_;
    GaleraTestCluster* cluster_ = nullptr;
    HaproxyTestFront* proxy_ = nullptr;
    std::unique_ptr<ClusterCentre> centre_;
};

// Each operation of the station reaches another node than the write before it, at once after it;
// a large write takes its time to be applied on the other nodes.
TEST_F(GaleraCluster, ReadsAndChangesFollowWritesMadeOnAnotherNode) {
    const qint16 station = 1;
    const auto images = [](qint16 batch) {
        QString insert = QStringLiteral(
            "INSERT INTO BallotImages(SystemID,BatchNo,ImageSeq,BallotSN,Status,Error) VALUES ");
        for (int sequence = 0; sequence < 400; ++sequence) {
            insert += QStringLiteral("%1(1,%2,%3,'1',1,99)")
                          .arg(sequence == 0 ? "" : ",")
                          .arg(batch)
                          .arg(sequence);
        }
        return insert;
    };
    const QString where = QStringLiteral(" WHERE SystemID = 1 AND BatchNo = %1");
    for (qint16 batch = 1; batch <= 6; ++batch) {
        const QString& first = centre_->OnNode(batch % 3);
        const QString& second = centre_->OnNode((batch + 1) % 3);
        const QString& third = centre_->OnNode((batch + 2) % 3);
        CreateBatch(first, batch, station, QStringLiteral("demo"));
        EXPECT_TRUE(BatchExists(second, station, batch)) << batch;
        ExecuteOn(first, images(batch));
        UpdateBatchTallies(second, station, batch);
        EXPECT_EQ(QueryOn(third, "SELECT WAITINGREPAIR AS v FROM Batches" + where.arg(batch)),
                  "400")
            << batch;
        CloseBatch(third, station, batch, 400, 0);
        DeleteOpenBatches(first, station);
        EXPECT_EQ(QueryOn(second, "SELECT Count(*) AS v FROM BallotImages" + where.arg(batch)),
                  "400")
            << batch;
        EXPECT_EQ(GetNextBatchNumber(third, station), batch + 1) << batch;
        ExecuteOn(first, images(batch));
        DeleteBatch(second, station, batch);
        EXPECT_EQ(QueryOn(third, "SELECT Count(*) AS v FROM BallotImages" + where.arg(batch)), "0")
            << batch;
        EXPECT_FALSE(BatchExists(first, station, batch)) << batch;
    }
    // lindhollow-admin works on any node as on one server.
    for (int node = 0; node < GaleraTestCluster::kNodes; ++node) {
        EXPECT_EQ(RunAdminTool({"list-operators", "--connect", centre_->OnNode(node)}),
                  "demo\t1\n");
    }
}

// A node that serves no station dies while the stations scan, and comes back while they scan on.
TEST_F(GaleraCluster, StationsScanOnWhileANodeServingNoneDiesAndComesBack) {
    ScanningFloor floor(centre_->ThroughProxy(), kStations, kBallots);
    floor.ScanRound();
    const NodeDeath death = KillNodeServingNoneThenScan(*cluster_, *centre_, floor);
    ASSERT_GE(death.node, 0) << "every node served a station";
    EXPECT_FALSE(cluster_->Running(death.node));
    EXPECT_EQ(floor.BatchesLost(), 0);
    std::printf(
        "a node serving none died: the first station statement after it came back %lld "
        "ms later\n",
        static_cast<long long>(death.milliseconds));

    ComeBackAndScanOn(death.node, Cut::Death, floor);
    EXPECT_EQ(floor.BatchesLost(), 0);
}

// The images of a batch exported for a recount through the connect string, in their files' order.
QList<QByteArray> ImagesAtTheCentre(const QString& connectString, qint16 station, qint16 batch) {
    QTemporaryDir out;
    RunAdminTool({"export-batch", "--connect", connectString, "--system-id",
                  QString::number(station), "--batch", QString::number(batch), "--out",
                  out.path()});
    QList<QByteArray> images;
    QDirIterator files(out.path(), {QStringLiteral("*.tif")}, QDir::Files,
                       QDirIterator::Subdirectories);
    QStringList names;
    while (files.hasNext()) {
        names << files.next();
    }
    names.sort();
    for (const QString& name : names) {
        QFile file(name);
        images << (file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray());
    }
    return images;
}

// The drill of a lost station disk: a batch closed through a station, then its in-tray deleted
// and the node that served it killed; the centre gives back every image byte for byte through the
// nodes that remain.
TEST_F(GaleraCluster, ABatchsImagesComeBackFromTheCentreWithoutTheInTrayAndANode) {
    // More images than export-batch reads in its first query, so that it reads on where it ended.
    const int ballots = 20;
    ScanningFloor floor(centre_->ThroughProxy(), 1, ballots);
    const qint16 batch = floor.NextBatch(0);
    floor.ScanRound();
    HeadlessStation& station = floor.Station(0);
    const QDir folder(station.BatchFolder(batch));
    QList<QByteArray> written;
    for (const QString& name :
         folder.entryList({QStringLiteral("*.tif")}, QDir::Files, QDir::Name)) {
        QFile file(folder.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        written << file.readAll();
    }
    ASSERT_EQ(written.size(), ballots + 2);
    ASSERT_TRUE(QDir(station.BatchFolder(batch)).removeRecursively());
    const int served = centre_->ServingNode();
    ASSERT_GE(served, 0);
    cluster_->Kill(served);
    for (int node = 0; node < GaleraTestCluster::kNodes; ++node) {
        if (node != served) {
            EXPECT_EQ(ImagesAtTheCentre(centre_->OnNode(node), station.SystemId(), batch), written)
                << "node " << node;
        }
    }
    cluster_->Restart(served);
    cluster_->WaitUntilSynced(served);
}

class NodeLostWhileStoring : public GaleraCluster, public testing::WithParamInterface<Cut> {};

// The node serving a storage pass dies, or is cut off from the others while it runs on: the batch
// is lost, removed through a live node, and scanned again; the cut-off node takes no station write.
// The node comes back and the stations scan on.
TEST_P(NodeLostWhileStoring, TheBatchIsLostRemovedAndScannedAgain) {
    ScanningFloor floor(centre_->ThroughProxy(), kStations, kBallots);
    floor.ScanRound();
    const qint16 batch = floor.NextBatch(0);
    Outcome outcome = Outcome::Closed;
    Outcome next = Outcome::Lost;
    const NodeDeath lost =
        LoseNodeStoringABatch(*cluster_, *proxy_, *centre_, floor, GetParam(), outcome, next);
    ASSERT_GE(lost.node, 0) << "no node served the stations";
    ASSERT_EQ(outcome, Outcome::Lost);
    EXPECT_EQ(next, Outcome::Closed);
    EXPECT_EQ(
        floor.Station(0)
            .Shown()
            .filter(
                QStringLiteral("Batch %1 Lost | Error occurred during data storage.").arg(batch))
            .size(),
        1);
    EXPECT_GE(lost.milliseconds, 0);
    std::printf(
        "the node storing a batch was %s: the first station statement after it succeeded "
        "%lld ms later\n",
        GetParam() == Cut::Death ? "killed" : "cut off", static_cast<long long>(lost.milliseconds));
    // Nothing of the lost batch is left in the database.
    const ScanningFloor::Audit afterLoss = floor.Check();
    EXPECT_EQ(afterLoss.imagesExtra, 0);
    EXPECT_EQ(afterLoss.batchRowsWrong, 0);
    if (GetParam() == Cut::Partition) {
        ASSERT_TRUE(cluster_->Running(lost.node));
        EXPECT_FALSE(cluster_->InPrimaryComponent(lost.node));
        EXPECT_FALSE(CreateBatch(centre_->OnNode(lost.node), 99, floor.Station(1).SystemId(),
                                 QStringLiteral("demo")));
    }

    floor.ScanRound();
    ComeBackAndScanOn(lost.node, GetParam(), floor);
    EXPECT_EQ(floor.BatchesLost(), 1);
}

// Batch and image rows keep their history alike on every node: a batch lost through one node
// and scanned again through the others reads the same on all three.
TEST_F(GaleraCluster, EveryNodeKeepsTheSameHistoryOfABatch) {
    const QString images = QStringLiteral(
        "INSERT INTO BallotImages(SystemID,BatchNo,ImageSeq) VALUES (1,9,0),(1,9,1)");
    for (int node : {0, 2}) {
        CreateBatch(centre_->OnNode(node), 9, 1, QStringLiteral("demo"));
        ExecuteOn(centre_->OnNode(node), images);
        DeleteBatch(centre_->OnNode(1), 1, node == 0 ? 9 : 0);
    }
    QStringList histories;
    for (int node = 0; node < GaleraTestCluster::kNodes; ++node) {
        histories << RunAdminTool(
            {"history", "--connect", centre_->OnNode(node), "--system-id", "1", "--batch", "9"});
    }
    EXPECT_EQ(histories, QStringList(GaleraTestCluster::kNodes, histories[0]));
    EXPECT_TRUE(histories[0].contains(QStringLiteral("batch row deleted\n")))
        << histories[0].toStdString();
}

// Station 3's account through the proxy, one attempt of each kind: on its closed batch, with the
// clock set back, with history asked for. Each node, read in turn, holds what it held before.
TEST_F(GaleraCluster, AStationsClosedBatchIsFinalAndTheClockTheServersOnEveryNode) {
    const QString& database = centre_->Database();
    cluster_->Administer(0, QStringLiteral("CREATE USER IF NOT EXISTS 'station3'@'%' IDENTIFIED BY "
                                           "'Station3pw'; GRANT SELECT, INSERT, UPDATE, DELETE ON "
                                           "%1.* TO 'station3'@'%'; USE %1; ")
                                    .arg(database) +
                                ClosedBatchRows());
    const QString station3 =
        centre_->ThroughProxy() + QStringLiteral("UID=station3;PWD=Station3pw;");
    // Closed batch 12's row; the anchor dated by the clock set back; the batch of history.
    ExpectAttempt(station3, centre_->OnNode(0), kClockSettings[0], kStationAttempts[0]);
    ExpectAttempt(station3, centre_->OnNode(1), kClockSettings[1], kStationAttempts[11]);
    ExpectAttempt(station3, centre_->OnNode(2), kClockSettings[2], kStationAttempts[10]);
}

// lindhollow-backup takes a full backup of node3, a node the stations do not write to, while a
// station stores through haproxy; the cluster is then rebuilt from it as after the loss of every
// node: one node founded on the restored backup, the other two by state transfer.
TEST_F(GaleraCluster, ABackupOfOneNodeRebuildsTheCluster) {
    if (QStandardPaths::findExecutable("mariadb-backup").isEmpty()) {
        GTEST_SKIP() << "mariadb-backup is not installed";
    }
    const BackupScript backups(cluster_->Socket(2), centre_->Database());
    QProcess script;
    ScanningFloor floor(centre_->ThroughProxy(), 1, kBallots);
    floor.ScanRound();
    const int closedBefore = floor.NextBatch(0) - 1;
    backups.Start(script, {"take", "--full"});
    int storedWhileCopying = 0;
    for (; script.state() != QProcess::NotRunning; ++storedWhileCopying) {
        floor.ScanNextBatch(0);
    }
    script.waitForFinished();
    ASSERT_EQ(script.exitCode(), 0) << script.readAllStandardError().toStdString();
    EXPECT_GT(storedWhileCopying, 0);
    const QString backup = QString::fromUtf8(script.readAllStandardOutput()).section(u':', 0, 0);
    EXPECT_TRUE(QFile::exists(backup + "/data/xtrabackup_galera_info"));
    const BackupRun restored =
        backups.Run({"restore", backup, "--datadir", backups.Path("restored")});
    ASSERT_EQ(restored.exitCode, 0) << restored.errors.toStdString();

    cluster_->RebuildFrom(backups.Path("restored"));
    const QStringList sums = centre_->Checksums();
    ASSERT_EQ(sums.size(), GaleraTestCluster::kNodes);
    EXPECT_EQ(sums, QStringList(GaleraTestCluster::kNodes, sums[0]));
    EXPECT_EQ(cluster_
                  ->Administer(0, QStringLiteral(
                                      "SELECT COUNT(*) FROM %1.Batches b WHERE BatchNo <= %2 AND "
                                      "ImageCount = (SELECT COUNT(*) FROM %1.BallotImages i WHERE "
                                      "i.SystemID = b.SystemID AND i.BatchNo = b.BatchNo)")
                                      .arg(centre_->Database())
                                      .arg(closedBefore))
                  .trimmed(),
              QString::number(closedBefore));
}

INSTANTIATE_TEST_SUITE_P(Table, NodeLostWhileStoring, testing::Values(Cut::Death, Cut::Partition),
                         [](const testing::TestParamInfo<Cut>& row) {
                             return row.param == Cut::Death ? "Death" : "Partition";
                         });

struct StationTrust {
    const char* authority;  // "centre", "other", or none: a data source without TLS settings
    bool connects;
};

class StationsThroughTheProxy : public GaleraCluster,
                                public testing::WithParamInterface<StationTrust> {};

// The proxy passes the stations' TLS through: a station reaches a node, encrypted, only when it
// trusts the centre's authority, which signed the node's certificate for the proxy's name.
TEST_P(StationsThroughTheProxy, ConnectOnlyEncryptedTrustingTheCentresAuthority) {
    QTemporaryDir folder;
    const TestAuthority other(folder.path(), QStringLiteral("other-ca"));
    const QString authority = QLatin1StringView(GetParam().authority) == u"centre"
                                  ? cluster_->Authority().Certificate()
                                  : other.Certificate();
    const QString& database = centre_->Database();
    const QString source = *GetParam().authority == '\0'
                               ? AddMariaDbDataSource(proxy_->Port(), database)
                               : AddEncryptedMariaDbDataSource(GaleraTestCluster::ProxyName(),
                                                               proxy_->Port(), database, authority);
    QString version;
    try {
        version = QueryOn(QStringLiteral("DSN=%1;").arg(source),
                          QStringLiteral("SELECT VARIABLE_VALUE AS v FROM "
                                         "information_schema.SESSION_STATUS WHERE "
                                         "VARIABLE_NAME = 'Ssl_version'"));
    } catch (const std::exception& error) {
        std::printf("%s: %s\n", GetParam().authority, error.what());
    }
    EXPECT_EQ(version.startsWith(u"TLSv1."), GetParam().connects) << version.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Table, StationsThroughTheProxy,
                         testing::Values(StationTrust{"centre", true}, StationTrust{"other", false},
                                         StationTrust{"", false}));

struct Newcomer {
    const char* name;
    const char* signedBy;  // the authority that signed its certificate
    bool replicationEncrypted;
    bool admitted;
    const char* logSays;  // why, in the newcomer's log
};

class NodesJoining : public GaleraCluster, public testing::WithParamInterface<Newcomer> {};

// Only a node with a certificate of the centre's authority, replicating over TLS, joins; it
// receives its copy of the data through stunnel. The others' TLS refuses another authority's
// certificate, and a node without TLS hears nothing from them.
TEST_P(NodesJoining, OnlyANodeOfTheCentresAuthorityReplicatingEncryptedJoins) {
    QTemporaryDir folder;
    const TestAuthority other(folder.path(), QStringLiteral("other-ca"));
    const TestAuthority& by =
        QLatin1StringView(GetParam().signedBy) == u"centre" ? cluster_->Authority() : other;
    const TestAuthority::Issued issued =
        by.Issue(QStringLiteral("newcomer-%1").arg(QLatin1StringView(GetParam().name)),
                 {QStringLiteral("IP:127.0.0.1")});
    EXPECT_EQ(cluster_->Admits({issued.certificate, issued.key, GetParam().replicationEncrypted}),
              GetParam().admitted);
    EXPECT_TRUE(cluster_->Log(GaleraTestCluster::kStranger)
                    .contains(QLatin1StringView(GetParam().logSays)));
}

INSTANTIATE_TEST_SUITE_P(
    Table, NodesJoining,
    testing::Values(Newcomer{"centre", "centre", true, true, "Using stunnel for SSL encryption"},
                    Newcomer{"foreign", "other", true, false, "tlsv1 alert unknown ca"},
                    Newcomer{"unencrypted", "centre", false, false, "no messages seen"}),
    [](const testing::TestParamInfo<Newcomer>& row) { return std::string(row.param.name); });

}  // namespace
