#include "StatusChanges.h"

#include <algorithm>

void StatusChanges::Mark(QList<StationRow>& stations, const QDateTime& now) {
    for (StationRow& station : stations) {
        const QString row = station.userId + u'\n' + station.status + u'\n' + station.currentTask;
        Seen& seen = seen_[station.systemId];
        if (!seen.row.isNull() && seen.row != row) {
            seen.changedAt = now;
        }
        seen.row = row;
        station.lastActivity = std::max(station.lastActivity, seen.changedAt);
    }
}
