#pragma once

// The batch seals that a station anchored at the centre, each in the line of its batch-ended
// record, and the check of a batch's seals against them. A station's account may only add
// anchors: seals replaced after a batch was stored, by whatever account, no longer give the batch
// seal anchored when it ended.

#include <QMap>
#include <QString>
#include <QStringList>
#include <string>
#include <vector>

#include "admin/StoredImages.h"

class Connection;

// The batch-ended record that counts for a closed batch: the last one anchored before the batch's
// first anchored batch-closed record and after its last batch-lost one.
struct AnchoredBatchSeal {
    QString seal;  // empty when the station did not seal the batch's images
    qint64 images;
    QString where;  // "record 12 of log …, anchored at … UTC by …"
};

struct StationBatchSeals {
    QMap<int, AnchoredBatchSeal> byBatch;
    // Batch-ended records anchored for a batch after it was closed, by batch.
    QMap<int, QStringList> endedAfterClosing;
    // Anchored lines that are not the records anchored.
    QStringList madeUpLines;
};

StationBatchSeals AnchoredBatchSeals(Connection& connection, int station);

// The seals that `station` anchored, read from the centre once for all of its batches (`read` keeps
// them): the first time, each made-up anchored line is printed and counted in `findings`.
const StationBatchSeals& SealsAnchoredBy(Connection& connection, int station,
                                         QMap<int, StationBatchSeals>& read, int& findings);

// The batch's seals (in sequence order) and image rows against what its station anchored: each
// finding a sentence naming the batch; none when they agree. `vouched` tells whether an anchored
// batch seal vouched for them.
QStringList CheckBatchSeal(const StationBatchSeals& anchored, const BatchKey& batch,
                           const std::vector<std::string>& seals, int imageRows, bool& vouched);
