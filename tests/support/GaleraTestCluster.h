#pragma once

#include <QString>
#include <QTemporaryDir>
#include <array>
#include <memory>

#include "ChildProcess.h"
#include "TestAuthority.h"

// Three MariaDB servers of this test process joined in a Galera cluster on loopback ports, each
// with its own data folder, set up by the centre's server and node configurations with only the
// addresses, folders and certificates changed: every link encrypted with a certificate authority
// of the cluster's own. Started by the constructor (the first node founds the cluster, the others
// copy its data); stopped and removed with the object, also after a failed test.
class GaleraTestCluster {
  public:
    static constexpr int kNodes = 3;

    // A node's certificate and key; the node trusts the cluster's authority.
    struct NodeTls {
        QString certificate;
        QString key;
        // Whether it replicates over TLS (its Galera provider options name the files).
        bool replicationEncrypted = true;
    };

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
    // The name under which the stations reach their proxy, which every node's certificate
    // carries beside its own name and 127.0.0.1. It is the loopback's own name, since a test
    // cannot give the loopback a new one.
    static QString ProxyName() { return QStringLiteral("localhost"); }
    const TestAuthority& Authority() const { return *authority_; }
    // The node's server log.
    QString Log(int node) const;

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
    // Whether the node counts itself in the primary component, the part of the cluster that
    // takes writes.
    bool InPrimaryComponent(int node) const;

    // The node is cut off from the others while it keeps running, as by a broken network link;
    // healed, it joins them again and takes the writes it missed.
    void Isolate(int node);
    void Heal(int node);

    // The cluster is started anew from a restored data folder, as after the loss of every node:
    // the first node founds it on that data, the other two copy it from the first.
    void RebuildFrom(const QString& restoredData);
    // The node's socket, for clients of its administrator.
    QString Socket(int node) const;

    // A fourth server with the given certificate, set up as the nodes are, tries to join as a
    // new node; whether the cluster took it in, which also means that it received a copy of all
    // data. It is stopped either way, and the cluster is back to its three nodes.
    bool Admits(const NodeTls& tls);
    // The node number of its server, for Log, which then holds its last attempt.
    static constexpr int kStranger = kNodes;

  private:
    struct Node {
        QString folder;
        int port = 0;
        int groupPort = 0;    // replication traffic
        int catchUpPort = 0;  // the writes a returning node missed (IST)
        int copyPort = 0;     // a whole data folder (SST)
        NodeTls tls;
        QString moreProviderOptions;
        ChildProcess server;
    };

    // The node's option file, with free ports for those it has none yet.
    void WriteOptionFile(int node);
    // Starts the node; false when it ended before it answered (another program took a port).
    bool Start(int node, const QStringList& arguments);
    void StartWithRetries(int node, const QStringList& arguments);
    QString OptionFile(int node) const;

    QString Status(int node, const QString& variable) const;
    // A new data folder for a node that copies it from the others.
    void EmptyData(int node);

    QTemporaryDir folder_;
    std::unique_ptr<TestAuthority> authority_;
    std::array<Node, kNodes + 1> nodes_;
};
