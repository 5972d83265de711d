#pragma once

// The check of a closed batch's copies at the centre, which verify-images and export-batch share:
// every copy against its seal, the seals against the batch seal anchored when the batch ended.

#include <QStringList>
#include <functional>

#include "admin/BatchSeals.h"
#include "admin/StoredImages.h"

class Connection;

struct CopyCheck {
    QStringList findings;  // each a sentence naming the batch
    int images = 0;        // image rows
    int matching = 0;      // copies that match their seals
    int changed = 0;       // copies that do not
    int missing = 0;       // image rows without a copy, in a batch stored with copies
    bool storedBefore =
        false;               // no copy and no anchored batch seal: stored before copies were kept
    bool vouched = false;    // an anchored batch seal vouches for the batch's seals
    bool sealHolds = false;  // and they give it
};

// Calls `each` for every image row, with whether its copy is there and matches its seal.
CopyCheck CheckCentreCopies(Connection& connection, const StationBatchSeals& anchored,
                            const BatchKey& batch,
                            const std::function<void(const StoredImage&, bool matches)>& each);

// What the check says of a batch stored before copies were kept.
QString StoredBeforeSentence(const BatchKey& batch, const CopyCheck& check);
// What the check says of the batch seal, as the end of a sentence.
QString BatchSealClause(const CopyCheck& check);
