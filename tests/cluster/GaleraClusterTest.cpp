// The counting centre on a three-node Galera cluster behind haproxy, in the short form that the
// test command runs: reads and changes that follow writes made on another node, and stations
// scanning on while a node dies and comes back. cluster-benchmark is the longer form.

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

#include "ClusterCentre.h"
#include "ClusterFaults.h"
#include "database/Connection.h"
#include "database/LHDataAbstraction.h"
#include "support/GaleraTestCluster.h"
#include "support/HaproxyTestFront.h"
#include "support/QtPrinting.h"
#include "support/ScanningFloor.h"
#include "support/TestDataSource.h"

namespace {

constexpr int kStations = 2;
constexpr int kBallots = 3;

using Outcome = HeadlessStation::Outcome;

class GaleraCluster : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        missing_ = GaleraTestCluster::MissingPieces();
        if (missing_.isEmpty()) {
            missing_ = HaproxyTestFront::MissingPieces();
        }
        if (missing_.isEmpty()) {
            cluster_ = new GaleraTestCluster;
            proxy_ = new HaproxyTestFront(*cluster_);
        }
    }
    static void TearDownTestSuite() {
        delete proxy_;
        delete cluster_;
    }

    void SetUp() override {
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
        const ScanningFloor::Audit audit = floor.Check();
        EXPECT_TRUE(audit.Clean()) << audit.Summary().toStdString();
        std::printf("%d lost and scanned again; %s\n", floor.BatchesLost(),
                    qPrintable(audit.Summary()));
    }

    // The dead node comes back while the stations scan, and they scan on once it is synced.
    void ComeBackAndScanOn(int node, ScanningFloor& floor) {
        cluster_->Restart(node);
        floor.ScanRound();  // while the node catches up
        ExpectOneStateEverywhere(floor);
        floor.ScanRound();
        ExpectOneStateEverywhere(floor);
    }

    static inline QString missing_;
    static inline GaleraTestCluster* cluster_ = nullptr;
    static inline HaproxyTestFront* proxy_ = nullptr;
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

    ComeBackAndScanOn(death.node, floor);
    EXPECT_EQ(floor.BatchesLost(), 0);
}

// The node serving a storage pass dies during it: the batch is lost, removed through a live node,
// and scanned again; the node comes back and the stations scan on.
TEST_F(GaleraCluster, ABatchWhoseNodeDiesWhileItIsStoredIsLostRemovedAndScannedAgain) {
    ScanningFloor floor(centre_->ThroughProxy(), kStations, kBallots);
    floor.ScanRound();
    const qint16 batch = floor.NextBatch(0);
    Outcome outcome = Outcome::Closed;
    const NodeDeath death = KillNodeStoringABatch(*cluster_, *centre_, floor, outcome);
    ASSERT_GE(death.node, 0) << "no node served the stations";
    ASSERT_EQ(outcome, Outcome::Lost);
    EXPECT_EQ(floor.Station(0).Shown().filter(QStringLiteral("Batch %1 Lost").arg(batch)).size(),
              1);
    EXPECT_GE(death.milliseconds, 0);
    std::printf(
        "the node storing a batch died: the first station statement after it succeeded "
        "%lld ms later\n",
        static_cast<long long>(death.milliseconds));
    // Nothing of the lost batch is left in the database.
    const ScanningFloor::Audit afterLoss = floor.Check();
    EXPECT_EQ(afterLoss.imagesExtra, 0);
    EXPECT_EQ(afterLoss.batchRowsWrong, 0);

    EXPECT_EQ(floor.ScanNextBatch(0), Outcome::Closed);
    floor.ScanRound();
    ComeBackAndScanOn(death.node, floor);
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

}  // namespace
