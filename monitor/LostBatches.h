#pragma once

#include <QDateTime>
#include <QList>
#include <functional>

#include "CentreSnapshot.h"

// Batches deleted before they were closed, which the database keeps no trace of: a batch seen open
// at one reading that at the next is neither open nor still there under the same start was lost
// by its station.
class LostBatches {
  public:
    // Whether the batch is still in the database, open or closed, under that start.
    using StillThere = std::function<bool(int systemId, int batchNo, const QDateTime& startTime)>;

    // Compares the stations' open batches with the previous reading's; returns the batches lost
    // since the first reading. When `stillThere` throws, this reading counts nothing.
    qint64 Count(const QList<StationRow>& stations, const StillThere& stillThere);

  private:
    struct OpenBatch {
        int systemId;
        int batchNo;
        QDateTime startTime;
        bool operator==(const OpenBatch&) const = default;
    };
    QList<OpenBatch> openBefore_;
    qint64 lost_ = 0;
};
