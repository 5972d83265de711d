#pragma once

#include <QDateTime>
#include <QList>
#include <QMap>
#include <QString>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

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

// Reads the centre's database every `period` on a thread of its own, with one connection that
// it opens again after a failure, so that the monitor recovers by itself when the database
// answers again.
class Refresher {
  public:
    Refresher(QString connectString, std::chrono::milliseconds period);
    ~Refresher();
    Refresher(const Refresher&) = delete;
    Refresher& operator=(const Refresher&) = delete;

    CentreView Current() const;
    const QString& ConnectString() const { return connectString_; }
    // The batches closed since `since` or open, oldest first, the first kMostBatches of them;
    // read on a connection of the caller's own. Throws when the database cannot be read.
    QList<BatchRow> BatchesSince(const QDateTime& since) const;

  private:
    struct OpenBatch {
        int systemId;
        int batchNo;
        QDateTime startTime;
        bool operator==(const OpenBatch&) const = default;
    };
    struct SeenStatus {
        QString row;
        QDateTime changedAt;
    };

    void Run();

    const QString connectString_;
    const std::chrono::milliseconds period_;
    mutable std::mutex mutex_;
    mutable std::mutex batchesMutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
    CentreView view_;
    // Kept by the refresh thread alone.
    QList<OpenBatch> openBefore_;
    QMap<int, SeenStatus> seenStatus_;
    qint64 lost_ = 0;
    std::thread thread_;
};
