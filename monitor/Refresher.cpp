#include "Refresher.h"

#include <cstdio>
#include <memory>

#include "CentreReader.h"
#include "database/Connection.h"

Refresher::Refresher(QString connectString, std::chrono::milliseconds period)
    : connectString_(std::move(connectString)), period_(period) {
    view_.countingSince = QDateTime::currentDateTime();
    thread_ = std::thread([this] { Run(); });
}

Refresher::~Refresher() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

CentreView Refresher::Current() const {
    std::lock_guard lock(mutex_);
    CentreView view = view_;
    // A reading that hangs, on a server that stopped answering without closing the connection,
    // leaves the last figures standing: after a few refresh periods they are stale all the same.
    const qint64 limit = std::max<qint64>(5 * period_.count(), 15000);
    if (view.databaseUp && view.snapshot &&
        view.snapshot->readAt.msecsTo(QDateTime::currentDateTime()) > limit) {
        view.databaseUp = false;
        view.downSince = view.snapshot->readAt;
    }
    return view;
}

QList<BatchRow> Refresher::BatchesSince(const QDateTime& since) const {
    // One such reading at a time, however many clients ask.
    std::lock_guard lock(batchesMutex_);
    Connection connection;
    connection.Open(connectString_);
    return CentreReader(connection)
        .BatchesSince(since, kMostBatches, CentreReader::Order::OldestFirst);
}

void Refresher::Run() {
    // The connection belongs to this thread, as Qt's database connections must.
    std::unique_ptr<Connection> connection;
    // Lives as long as its connection: it remembers the audit anchors read so far.
    std::unique_ptr<CentreReader> reader;
    std::unique_lock lock(mutex_);
    while (!stopping_) {
        lock.unlock();
        const QDateTime now = QDateTime::currentDateTime();
        const auto started = std::chrono::steady_clock::now();
        std::optional<CentreSnapshot> snapshot;
        try {
            if (!connection) {
                connection = std::make_unique<Connection>();
                connection->Open(connectString_);
                reader = std::make_unique<CentreReader>(*connection);
            }
            snapshot = reader->Read(now);
            // A batch seen open that is now neither open nor closed under the same start was
            // deleted before it was closed: the station lost it.
            QList<OpenBatch> open;
            for (const StationRow& station : snapshot->stations) {
                if (station.openBatch) {
                    open.append({station.systemId, *station.openBatch, station.openSince});
                }
            }
            for (const OpenBatch& batch : openBefore_) {
                if (!open.contains(batch) &&
                    !reader->BatchStillThere(batch.systemId, batch.batchNo, batch.startTime)) {
                    ++lost_;
                }
            }
            openBefore_ = open;
        } catch (const std::exception& error) {
            // The driver's text names the server, never the password; it goes to the log only,
            // once an outage.
            if (view_.databaseUp || view_.refreshes == 0) {
                std::fprintf(stderr,
                             "lindhollow-monitor: the centre's database cannot be read: %s\n",
                             error.what());
            }
            reader.reset();
            connection.reset();
            snapshot.reset();
        }
        const qint64 elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
                                   std::chrono::steady_clock::now() - started)
                                   .count();
        if (snapshot) {
            for (StationRow& station : snapshot->stations) {
                const QString row =
                    station.userId + u'\n' + station.status + u'\n' + station.currentTask;
                SeenStatus& seen = seenStatus_[station.systemId];
                if (!seen.row.isNull() && seen.row != row) {
                    seen.changedAt = now;
                }
                seen.row = row;
                station.lastActivity = std::max(station.lastActivity, seen.changedAt);
            }
            snapshot->totals.batchesLost = lost_;
        }
        lock.lock();
        view_.checkedAt = now;
        ++view_.refreshes;
        if (snapshot) {
            if (!view_.databaseUp && view_.refreshes > 1) {
                std::fprintf(stderr, "lindhollow-monitor: the centre's database answers again\n");
            }
            view_.snapshot = std::move(snapshot);
            view_.databaseUp = true;
            view_.downSince = {};
            view_.refreshMilliseconds = elapsed;
        } else {
            ++view_.failedRefreshes;
            if (view_.databaseUp || !view_.downSince.isValid()) {
                view_.downSince = now;
            }
            view_.databaseUp = false;
        }
        wake_.wait_for(lock, period_, [this] { return stopping_; });
    }
}
