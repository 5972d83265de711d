// The counting centre on one MariaDB server (run as its shipped configuration runs it) and on a
// three-node Galera cluster behind haproxy, side by side in one run: headless stations scanning
// batches (sheets per second, and the End Batch share of it), then on the cluster the two node
// deaths and the partition of the cluster tests with the time each took to the next station
// statement, the nodes' table checksums, and the invariants.
//
// Run by hand: build/tests/cluster/cluster-benchmark [--stations N] [--batches N] [--ballots N]
// Exits with 1 when an invariant or the checksums do not hold, with 77 where no cluster can run.

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <cstdio>
#include <memory>

#include "ClusterCentre.h"
#include "ClusterFaults.h"
#include "support/GaleraTestCluster.h"
#include "support/HaproxyTestFront.h"
#include "support/ScanningFloor.h"
#include "support/ShippedCentreServer.h"
#include "support/TestDataSource.h"

namespace {

struct Options {
    int stations;
    int batches;
    int ballots;
};

// Every station scans the given number of batches; prints the rates, and returns End Batch's.
double Scan(const char* where, ScanningFloor& floor, int batches) {
    const int sheetsBefore = floor.SheetsScanned();
    const qint64 endingBefore = floor.EndBatchMilliseconds();
    QElapsedTimer timer;
    timer.start();
    for (int round = 0; round < batches; ++round) {
        floor.ScanRound();
    }
    const double seconds = timer.elapsed() / 1000.0;
    const int sheets = floor.SheetsScanned() - sheetsBefore;
    const double ending = (floor.EndBatchMilliseconds() - endingBefore) / 1000.0;
    std::printf("%-28s %5d sheets in %7.1f s: %6.2f sheets/s; End Batch %6.2f sheets/s\n", where,
                sheets, seconds, sheets / seconds, sheets / ending);
    return sheets / ending;
}

// The stations of both floors scan the given number of batches, a round on one floor and then on
// the other, so that both meet the same load of the host; prints both rates, and returns the
// second floor's End Batch sheets/s as a multiple of the first's.
double ScanSideBySide(const char* (&where)[2], ScanningFloor* (&floors)[2], int batches) {
    int sheets[2] = {};
    qint64 milliseconds[2] = {};
    qint64 ending[2] = {};
    for (int round = 0; round < batches; ++round) {
        for (int i = 0; i < 2; ++i) {
            const int sheetsBefore = floors[i]->SheetsScanned();
            const qint64 endingBefore = floors[i]->EndBatchMilliseconds();
            QElapsedTimer timer;
            timer.start();
            floors[i]->ScanRound();
            milliseconds[i] += timer.elapsed();
            sheets[i] += floors[i]->SheetsScanned() - sheetsBefore;
            ending[i] += floors[i]->EndBatchMilliseconds() - endingBefore;
        }
    }
    double endBatch[2] = {};
    for (int i = 0; i < 2; ++i) {
        endBatch[i] = sheets[i] * 1000.0 / double(ending[i]);
        std::printf("%-28s %5d sheets in %7.1f s: %6.2f sheets/s; End Batch %6.2f sheets/s\n",
                    where[i], sheets[i], milliseconds[i] / 1000.0,
                    sheets[i] * 1000.0 / double(milliseconds[i]), endBatch[i]);
    }
    return endBatch[1] / endBatch[0];
}

bool Report(const ScanningFloor& floor, const QStringList& checksums) {
    const ScanningFloor::Audit audit = floor.Check();
    const bool same = checksums.isEmpty() || checksums.count(checksums.front()) == checksums.size();
    const QString nodes =
        checksums.isEmpty() ? QString()
        : same ? QStringLiteral("; the %1 running nodes' checksums agree").arg(checksums.size())
               : QStringLiteral("; THE NODES' CHECKSUMS DIFFER");
    std::printf("  %d lost and scanned again; %s%s\n", floor.BatchesLost(),
                qPrintable(audit.Summary()), qPrintable(nodes));
    return audit.Clean() && same;
}

void SyncAll(GaleraTestCluster& cluster) {
    for (int node = 0; node < GaleraTestCluster::kNodes; ++node) {
        cluster.WaitUntilSynced(node);
    }
}

int Run(const Options& options) {
    bool clean = true;
    // Sheet making is no part of scanning.
    HeadlessStation::MakeSheets(qint16(3 * options.batches + 6), options.ballots);
    // The one server as the centre runs it: encrypted connections, its binary log synced at every
    // commit, as each node's is.
    auto shipped = std::make_unique<ShippedCentreServer>();
    auto server = shipped->MakeDataSource();
    auto oneServer =
        std::make_unique<ScanningFloor>(server->ConnectString(), options.stations, options.ballots);
    GaleraTestCluster cluster;
    const HaproxyTestFront proxy(cluster);
    const ClusterCentre centre(cluster, proxy, QStringLiteral("lindhollow_benchmark"));
    std::printf(
        "the stations reach the nodes through haproxy on 127.0.0.1:%d, which sends them to the "
        "first node that its check finds synced\n",
        proxy.Port());
    ScanningFloor floor(centre.ThroughProxy(), options.stations, options.ballots);
    // The first round loads what the stations load once.
    oneServer->ScanRound();
    floor.ScanRound();
    const char* where[2] = {"one MariaDB server:", "three Galera nodes, haproxy:"};
    ScanningFloor* floors[2] = {oneServer.get(), &floor};
    std::printf("End Batch on the cluster through haproxy: %.2fx one server's sheets/s\n",
                ScanSideBySide(where, floors, options.batches));
    clean = Report(*oneServer, {}) && clean;
    oneServer.reset();
    server.reset();
    shipped.reset();
    clean = Report(floor, centre.Checksums()) && clean;

    const NodeDeath idle = KillNodeServingNoneThenScan(cluster, centre, floor);
    std::printf(
        "%s died, serving no station: the first station statement after it came back "
        "%lld ms later\n",
        GaleraTestCluster::Name(idle.node).toUtf8().constData(),
        static_cast<long long>(idle.milliseconds));
    clean = Report(floor, centre.Checksums()) && clean;
    cluster.Restart(idle.node);
    Scan("  while it catches up:", floor, 1);
    SyncAll(cluster);
    clean = Report(floor, centre.Checksums()) && clean && floor.BatchesLost() == 0;

    HeadlessStation::Outcome outcome = HeadlessStation::Outcome::Closed;
    HeadlessStation::Outcome next = HeadlessStation::Outcome::Lost;
    const NodeDeath storing =
        LoseNodeStoringABatch(cluster, proxy, centre, floor, Cut::Death, outcome, next);
    std::printf(
        "%s died, storing a batch: the batch %s; the first station statement after it "
        "succeeded %lld ms later\n",
        GaleraTestCluster::Name(storing.node).toUtf8().constData(),
        outcome == HeadlessStation::Outcome::Lost ? "was lost" : "WAS NOT LOST",
        static_cast<long long>(storing.milliseconds));
    clean = outcome == HeadlessStation::Outcome::Lost && next == HeadlessStation::Outcome::Closed &&
            clean;
    Scan("  with that node down:", floor, 1);
    clean = Report(floor, centre.Checksums()) && clean;
    cluster.Restart(storing.node);
    Scan("  while it catches up:", floor, 1);
    SyncAll(cluster);
    Scan("  all three again:", floor, options.batches);
    clean = Report(floor, centre.Checksums()) && clean;

    const NodeDeath cut =
        LoseNodeStoringABatch(cluster, proxy, centre, floor, Cut::Partition, outcome, next);
    std::printf(
        "%s cut off from the others, storing a batch: the batch %s; the first station statement "
        "after it succeeded %lld ms later\n",
        GaleraTestCluster::Name(cut.node).toUtf8().constData(),
        outcome == HeadlessStation::Outcome::Lost ? "was lost" : "WAS NOT LOST",
        static_cast<long long>(cut.milliseconds));
    clean = outcome == HeadlessStation::Outcome::Lost && next == HeadlessStation::Outcome::Closed &&
            clean;
    Scan("  with that node cut off:", floor, 1);
    // The cut-off node answers no read.
    clean = Report(floor, {}) && clean;
    cluster.Heal(cut.node);
    Scan("  while it catches up:", floor, 1);
    SyncAll(cluster);
    Scan("  all three again:", floor, options.batches);
    clean = Report(floor, centre.Checksums()) && clean;
    return clean ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);  // each figure as soon as it is known
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("VrelScanning"));
    QCommandLineParser parser;
    parser.addOptions({{"stations", "stations scanning side by side", "N", "3"},
                       {"batches", "batches each station scans per run", "N", "4"},
                       {"ballots", "ballots of each batch", "N", "20"}});
    parser.addHelpOption();
    parser.process(application);
    const QString missing = GaleraTestCluster::MissingPieces() + HaproxyTestFront::MissingPieces();
    if (!missing.isEmpty()) {
        std::printf("no Galera cluster on this host: %s\n", missing.toUtf8().constData());
        return 77;
    }
    try {
        return Run({parser.value("stations").toInt(), parser.value("batches").toInt(),
                    parser.value("ballots").toInt()});
    } catch (const std::exception& error) {
        std::fprintf(stderr, "cluster-benchmark: %s\n", error.what());
        return 1;
    }
}
