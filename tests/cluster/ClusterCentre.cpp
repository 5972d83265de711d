#include "ClusterCentre.h"

#include "support/ChildProcess.h"
#include "support/GaleraTestCluster.h"
#include "support/HaproxyTestFront.h"
#include "support/MariaDbTestServer.h"
#include "support/TestDataSource.h"

namespace {

QString ConnectString(const QString& dataSource) {
    return QStringLiteral("DSN=%1;").arg(dataSource);
}

}  // namespace

QString RunAdminTool(const QStringList& arguments) {
    return RunToEnd(QStringLiteral(LINDHOLLOW_ADMIN), arguments);
}

ClusterCentre::ClusterCentre(GaleraTestCluster& cluster, const HaproxyTestFront& proxy,
                             const QString& database)
    : cluster_(cluster), database_(database) {
    cluster.Administer(0, QStringLiteral("CREATE DATABASE %1; GRANT ALL ON %1.* TO '%2'@'%'; "
                                         "GRANT ALL ON %1.* TO '%2'@'localhost';")
                              .arg(database, MariaDbTestServer::UserName()));
    // Encrypted as every station connects, checked against the nodes' certificates: through
    // the proxy by the name the stations give for it, and straight to a node by its address.
    const QString authority = cluster.Authority().Certificate();
    throughProxy_ = ConnectString(AddEncryptedMariaDbDataSource(GaleraTestCluster::ProxyName(),
                                                                proxy.Port(), database, authority));
    for (int node = 0; node < GaleraTestCluster::kNodes; ++node) {
        onNode_.append(ConnectString(AddEncryptedMariaDbDataSource(
            QStringLiteral("127.0.0.1"), cluster.Port(node), database, authority)));
    }
    RunAdminTool({"create-schema", "--connect", throughProxy_});
    RunAdminTool({"add-operator", "--connect", throughProxy_, "--user", "demo", "--password",
                  "demo", "--privilege", "1"});
}

QStringList ClusterCentre::Checksums() const {
    QStringList sums;
    for (int node = 0; node < GaleraTestCluster::kNodes; ++node) {
        if (!cluster_.Running(node)) {
            continue;
        }
        // The count is a read, which waits until the node has applied every write committed
        // before it; CHECKSUM TABLE itself does not wait.
        sums.append(cluster_.Administer(
            node,
            QStringLiteral("USE %1; SELECT Count(*) FROM BallotImages; CHECKSUM TABLE "
                           "Batches, BallotImages, ImageSeals, ImageFiles, SystemStatus, Users;")
                .arg(database_)));
    }
    return sums;
}

int ClusterCentre::StationConnections(int node) const {
    return cluster_
        .Administer(node, QStringLiteral("SET SESSION wsrep_sync_wait = 0; SELECT Count(*) FROM "
                                         "information_schema.PROCESSLIST WHERE USER = '%1'")
                              .arg(MariaDbTestServer::UserName()))
        .trimmed()
        .toInt();
}

int ClusterCentre::ServingNode() const {
    for (int node = 0; node < GaleraTestCluster::kNodes; ++node) {
        if (cluster_.Running(node) && StationConnections(node) > 0) {
            return node;
        }
    }
    return -1;
}
