#include "ClusterFaults.h"

#include <QElapsedTimer>

#include "ClusterCentre.h"
#include "support/GaleraTestCluster.h"
#include "support/ScanningFloor.h"
#include "database/StatementObserver.h"

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

NodeDeath KillNodeStoringABatch(GaleraTestCluster& cluster, const ClusterCentre& centre,
                                ScanningFloor& floor, HeadlessStation::Outcome& outcome) {
    NodeDeath death;
    int inserts = 0;
    QElapsedTimer sinceDeath;
    const Observing observing([&](const QString& statement) {
        if (death.node < 0 && inserts >= 0 && statement.startsWith(u"INSERT INTO BallotImages") &&
            ++inserts == 3) {
            death.node = centre.ServingNode();
            inserts = -1;
            if (death.node >= 0) {
                cluster.Kill(death.node);
                sinceDeath.start();
            }
        } else if (death.node >= 0 && death.milliseconds < 0 &&
                   statement.startsWith(u"DELETE FROM BallotImages")) {
            // The batch row's removal, just before, has succeeded.
            death.milliseconds = sinceDeath.elapsed();
        }
    });
    outcome = floor.ScanNextBatch(0);
    return death;
}
