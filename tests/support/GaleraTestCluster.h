#pragma once

#include <QString>
#include <QTemporaryDir>
#include <array>

#include "ChildProcess.h"

// Three MariaDB servers of this test process joined in a Galera cluster on loopback ports, each
// with its own data folder, set up by the centre's node configuration with only the addresses and
// folders changed. Started by the constructor (the first node founds the cluster, the others copy
// its data); stopped and removed with the object, also after a failed test.
class GaleraTestCluster {
  public:
    static constexpr int kNodes = 3;

    // Why this host cannot run the cluster (a missing program), or the empty text.
    static QString MissingPieces();

    GaleraTestCluster();
    ~GaleraTestCluster();
    GaleraTestCluster(const GaleraTestCluster&) = delete;
    GaleraTestCluster& operator=(const GaleraTestCluster&) = delete;

    // Nodes are numbered 0 to 2; their names in the cluster are node1 to node3.
    int Port(int node) const { return nodes_[node].port; }
    static QString Name(int node) { return QStringLiteral("node%1").arg(node + 1); }
    bool Running(int node);

    // Runs SQL on the node as its administrator; the rows, a line each, columns tab-separated.
    QString Administer(int node, const QString& sql) const;
    // The node's Galera state ("Synced", "Joining", ...), or the empty text when it does not
    // answer.
    QString State(int node) const;

    // The node dies at once, as in a power cut.
    void Kill(int node);
    // Starts a killed node again. It recovers from its own data the last write it holds and takes
    // the writes it missed from the others (or, when they no longer hold them, a copy of all);
    // returns once the node runs, before it has caught up.
    void Restart(int node);
    // Waits, within a generous bound, until the node is synced with the cluster.
    void WaitUntilSynced(int node);

  private:
    struct Node {
        QString folder;
        int port = 0;
        int groupPort = 0;    // replication traffic
        int catchUpPort = 0;  // the writes a returning node missed (IST)
        int copyPort = 0;     // a whole data folder (SST)
        ChildProcess server;
    };

    // The node's option file, with free ports for those it has none yet.
    void WriteOptionFile(int node);
    // Starts the node; false when it ended before it answered (another program took a port).
    bool Start(int node, const QStringList& arguments);
    void StartWithRetries(int node, const QStringList& arguments);
    QString OptionFile(int node) const;
    QString Socket(int node) const;

    QTemporaryDir folder_;
    std::array<Node, kNodes> nodes_;
};
