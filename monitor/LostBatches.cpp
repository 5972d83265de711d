#include "LostBatches.h"

qint64 LostBatches::Count(const QList<StationRow>& stations, const StillThere& stillThere) {
    QList<OpenBatch> open;
    for (const StationRow& station : stations) {
        if (station.openBatch) {
            open.append({station.systemId, *station.openBatch, station.openSince});
        }
    }
    qint64 gone = 0;
    for (const OpenBatch& batch : openBefore_) {
        if (!open.contains(batch) && !stillThere(batch.systemId, batch.batchNo, batch.startTime)) {
            ++gone;
        }
    }
    // Kept only once the whole reading is through, so that a failed one is not counted twice.
    openBefore_ = open;
    lost_ += gone;
    return lost_;
}
