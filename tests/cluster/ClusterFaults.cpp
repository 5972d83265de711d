#include "ClusterFaults.h"

#include <QElapsedTimer>
#include <QThread>

#include "ClusterCentre.h"
#include "database/StatementObserver.h"
#include "support/GaleraTestCluster.h"
#include "support/HaproxyTestFront.h"
#include "support/ScanningFloor.h"

namespace {

// Removes the statement observer however the scan ends.
struct Observing {
    explicit Observing(StatementObserver observer) { SetStatementObserver(std::move(observer)); }
    ~Observing() { SetStatementObserver({}); }
};

}  // namespace

NodeDeath KillNodeServingNoneThenScan(GaleraTestCluster& cluster, const ClusterCentre& centre,
                                      ScanningFloor& floor) {
    NodeDeath death;
    const int serving = centre.ServingNode();
    for (int node = GaleraTestCluster::kNodes - 1; node >= 0 && death.node < 0; --node) {
        if (node != serving && cluster.Running(node) && centre.StationConnections(node) == 0) {
            death.node = node;
        }
    }
    if (death.node < 0) {
        return death;
    }
    cluster.Kill(death.node);
    QElapsedTimer sinceDeath;
    sinceDeath.start();
    int seen = 0;
    // A statement is seen before it runs: the second one seen means the first came back.
    const Observing observing([&](const QString&) {
        if (++seen == 2) {
            death.milliseconds = sinceDeath.elapsed();
        }
    });
    floor.ScanRound();
    return death;
}

NodeDeath LoseNodeStoringABatch(GaleraTestCluster& cluster, const HaproxyTestFront& proxy,
                                const ClusterCentre& centre, ScanningFloor& floor, Cut cut,
                                HeadlessStation::Outcome& outcome,
                                HeadlessStation::Outcome& nextOutcome) {
    NodeDeath death;
    int inserts = 0;
    QElapsedTimer sinceDeath;
    const Observing observing([&](const QString& statement) {
        if (death.node < 0 && inserts >= 0 && statement.startsWith(u"INSERT INTO BallotImages") &&
            ++inserts == 3) {
            death.node = centre.ServingNode();
            inserts = -1;
            if (death.node >= 0) {
                if (cut == Cut::Death) {
                    cluster.Kill(death.node);
                } else {
                    cluster.Isolate(death.node);
                }
                sinceDeath.start();
            }
        } else if (death.node >= 0 && death.milliseconds < 0 &&
                   statement.startsWith(u"DELETE FROM BallotImages")) {
            // The batch row's removal, just before, has succeeded.
            death.milliseconds = sinceDeath.elapsed();
        }
    });
    outcome = floor.ScanNextBatch(0);
    // The operator takes up the lost batch's sheets again while the proxy finds out that the
    // node is lost: a node cut off from the others still takes connections until the proxy's
    // check sees it out of the primary component.
    QElapsedTimer waited;
    waited.start();
    while (death.node >= 0 && proxy.Sends(death.node) && waited.elapsed() < 30000) {
        QThread::msleep(100);
    }
    nextOutcome = floor.ScanNextBatch(0);
    return death;
}
