#pragma once

#include <QDateTime>
#include <optional>

#include "CentreSnapshot.h"

// What the page and the endpoints show: the last snapshot read, and whether it is still fresh.
struct CentreView {
    std::optional<CentreSnapshot> snapshot;  // the last one read; kept while the database is away
    bool databaseUp = false;
    QDateTime checkedAt;      // the last attempt, successful or not
    QDateTime downSince;      // the first failed attempt of the current outage
    QDateTime countingSince;  // when the monitor started to watch for lost batches
    qint64 refreshMilliseconds = 0;
    qint64 refreshes = 0;
    qint64 failedRefreshes = 0;
};

// Takes the outcome of the reading made at `now`: its snapshot, or none when the database could
// not be read, which keeps the last figures and starts or continues an outage.
void RecordReading(CentreView& view, std::optional<CentreSnapshot> snapshot, const QDateTime& now,
                   qint64 milliseconds);

// The view as shown at `now`. A reading that hangs, on a server that stopped answering without
// closing the connection, leaves the last figures standing: older than `staleAfterMilliseconds`
// they are stale all the same, down since they were read.
CentreView AsShownAt(CentreView view, const QDateTime& now, qint64 staleAfterMilliseconds);
