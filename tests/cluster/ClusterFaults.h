#pragma once

#include <QtGlobal>

#include "support/HeadlessStation.h"

class ClusterCentre;
class GaleraTestCluster;
class ScanningFloor;

struct NodeDeath {
    int node = -1;  // the node that died; -1 when none could be chosen
    // From the death to the first station statement that came back (after it, succeeded); -1
    // when none did.
    qint64 milliseconds = -1;
};

// A node that serves no station dies at once; then every station scans its next batch.
NodeDeath KillNodeServingNoneThenScan(GaleraTestCluster& cluster, const ClusterCentre& centre,
                                      ScanningFloor& floor);

// The first station scans its next batch, and the node serving it dies as the station stores the
// batch's third image row. The outcome is that of the batch: lost, when the station ran as it
// should. The time runs to the first statement of the lost batch's removal that succeeded.
NodeDeath KillNodeStoringABatch(GaleraTestCluster& cluster, const ClusterCentre& centre,
                                ScanningFloor& floor, HeadlessStation::Outcome& outcome);
