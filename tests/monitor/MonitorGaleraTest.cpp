// The monitor on a Galera centre reads through haproxy, as the stations do: when the node serving
// it dies, its next reading goes to another node. Skipped, with the reason, where Galera or
// haproxy is missing.

#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QThread>
#include <cstdio>

#include "ClusterCentre.h"
#include "Refresher.h"
#include "support/GaleraTestCluster.h"
#include "support/HaproxyTestFront.h"
#include "support/TestDataSource.h"

namespace {

// Waits up to `ms` for `done`, looking every 100 ms.
template <typename Condition>
bool Eventually(Condition done, int ms) {
    const QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QThread::msleep(100);
    }
    return true;
}

TEST(MonitorOnGalera, ReadsOnWhenTheNodeServingItDies) {
    QString missing = GaleraTestCluster::MissingPieces();
    if (missing.isEmpty()) {
        missing = HaproxyTestFront::MissingPieces();
    }
    if (!missing.isEmpty()) {
        GTEST_SKIP() << "no Galera cluster on this host: " << missing.toStdString();
    }
    GaleraTestCluster cluster;
    HaproxyTestFront proxy(cluster);
    ClusterCentre centre(cluster, proxy, QStringLiteral("lindhollow_monitor"));
    ExecuteOn(centre.ThroughProxy(),
              QStringLiteral("INSERT INTO SystemStatus (SYSTEMID, USERID, STATUS, CURRENTTASK) "
                             "VALUES (4, 'ann', 'ONLINE', 'SCANNING')"));
    const Refresher refresher(centre.ThroughProxy(), std::chrono::milliseconds(200));
    // A reading begun after `since` that found the station's row.
    const auto readsStationSince = [&](const QDateTime& since) {
        const CentreView view = refresher.Current();
        return view.databaseUp && view.checkedAt > since && view.snapshot->stations.size() == 1 &&
               view.snapshot->stations.front().userId == u"ann";
    };
    ASSERT_TRUE(Eventually([&] { return readsStationSince(QDateTime()); }, 30000));
    const int node = centre.ServingNode();
    ASSERT_GE(node, 0);
    cluster.Kill(node);
    const QDateTime killed = QDateTime::currentDateTime();
    QElapsedTimer sinceDeath;
    sinceDeath.start();
    EXPECT_TRUE(Eventually([&] { return readsStationSince(killed); }, 30000));
    std::printf("read again %lld ms after node %d died, from node %d\n",
                static_cast<long long>(sinceDeath.elapsed()), node + 1, centre.ServingNode() + 1);
    cluster.Restart(node);
    cluster.WaitUntilSynced(node);
}

}  // namespace
