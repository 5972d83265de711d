#pragma once

#include <QString>
#include <QTemporaryDir>

#include "ChildProcess.h"

class GaleraTestCluster;

// Debian's haproxy in front of a test cluster, as the centre's example configuration sets it up
// with only the addresses and file places changed: the stations' one address, on a free loopback
// port, sending them to the first node that is synced with the cluster. Started by the
// constructor, which also gives the cluster the account of the node check; stopped with the
// object.
class HaproxyTestFront {
  public:
    // Why this host cannot run it (haproxy missing), or the empty text.
    static QString MissingPieces();

    explicit HaproxyTestFront(const GaleraTestCluster& cluster);

    int Port() const { return port_; }
    // Whether the proxy counts the node up, and so sends stations to it.
    bool Sends(int node) const;

  private:
    // Starts haproxy on a free port; false when it ended at once (another program took the port).
    bool Start(const GaleraTestCluster& cluster);

    QTemporaryDir folder_;
    int port_ = 0;
    ChildProcess haproxy_;
};
