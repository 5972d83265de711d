#pragma once

#include <QtGlobal>

#include "support/HeadlessStation.h"

class ClusterCentre;
class GaleraTestCluster;
class HaproxyTestFront;
class ScanningFloor;

// How a node is lost: it dies at once, or it is cut off from the others while it runs on.
enum class Cut { Death, Partition };

struct NodeDeath {
    int node = -1;  // the node that was lost; -1 when none could be chosen
    // From the loss to the first station statement that came back (after it, succeeded); -1
    // when none did.
    qint64 milliseconds = -1;
};

// A node that serves no station dies at once; then every station scans its next batch.
NodeDeath KillNodeServingNoneThenScan(GaleraTestCluster& cluster, const ClusterCentre& centre,
                                      ScanningFloor& floor);

// The first station scans its next batch, and the node serving it is lost as the station stores
// the batch's third image row; then, once the proxy no longer sends stations to that node, the
// station scans one batch more. The outcomes are those of the two batches: lost and closed, when
// the station ran as it should. The time runs to the first statement of the lost batch's removal
// that succeeded: at once, or at the next Start Batch where the first attempt still reached the
// lost node.
NodeDeath LoseNodeStoringABatch(GaleraTestCluster& cluster, const HaproxyTestFront& proxy,
                                const ClusterCentre& centre, ScanningFloor& floor, Cut cut,
                                HeadlessStation::Outcome& outcome,
                                HeadlessStation::Outcome& nextOutcome);
