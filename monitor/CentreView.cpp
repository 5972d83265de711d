#include "CentreView.h"

void RecordReading(CentreView& view, std::optional<CentreSnapshot> snapshot, const QDateTime& now,
                   qint64 milliseconds) {
    view.checkedAt = now;
    ++view.refreshes;
    if (snapshot) {
        view.snapshot = std::move(snapshot);
        view.databaseUp = true;
        view.downSince = {};
        view.refreshMilliseconds = milliseconds;
        return;
    }
    ++view.failedRefreshes;
    if (view.databaseUp || !view.downSince.isValid()) {
        view.downSince = now;
    }
    view.databaseUp = false;
}

CentreView AsShownAt(CentreView view, const QDateTime& now, qint64 staleAfterMilliseconds) {
    if (view.databaseUp && view.snapshot &&
        view.snapshot->readAt.msecsTo(now) > staleAfterMilliseconds) {
        view.databaseUp = false;
        view.downSince = view.snapshot->readAt;
    }
    return view;
}
