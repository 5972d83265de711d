#pragma once

#include <QString>
#include <QStringList>

class GaleraTestCluster;
class HaproxyTestFront;

// A counting-centre database on the test cluster, set up as for one server: lindhollow-admin
// creates its schema and the operator demo through haproxy. Stations reach it through haproxy;
// tests may also reach each node directly.
class ClusterCentre {
  public:
    ClusterCentre(GaleraTestCluster& cluster, const HaproxyTestFront& proxy,
                  const QString& database);

    // Connect strings: the stations' one, through haproxy, and one straight to a node.
    const QString& ThroughProxy() const { return throughProxy_; }
    const QString& OnNode(int node) const { return onNode_[node]; }
    const QString& Database() const { return database_; }

    // Each running node's CHECKSUM TABLE of every table, once it holds every write committed so
    // far.
    QStringList Checksums() const;
    // How many connections of the stations' account the node holds.
    int StationConnections(int node) const;
    // The running node that the stations' connections are on, the first in haproxy's order;
    // -1 when none is.
    int ServingNode() const;

  private:
    GaleraTestCluster& cluster_;
    QString database_;
    QString throughProxy_;
    QStringList onNode_;
};

// lindhollow-admin with the arguments, through this process's data sources; its output. Throws
// when it fails.
QString RunAdminTool(const QStringList& arguments);
