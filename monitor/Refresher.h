#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "CentreSnapshot.h"
#include "CentreView.h"
#include "LostBatches.h"
#include "StatusChanges.h"

class Connection;
class CentreReader;

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
    // The refresh thread's connection, opened again after a failure.
    struct Session {
        std::unique_ptr<Connection> connection;
        // Lives as long as its connection: it remembers the audit anchors read so far.
        std::unique_ptr<CentreReader> reader;
        Session();
        ~Session();
    };

    void Run();
    // One reading at `now`, with the lost batches and status changes it shows; none when the
    // database cannot be read, which closes the session.
    std::optional<CentreSnapshot> Read(Session& session, const QDateTime& now);
    // Called with mutex_ held.
    void Record(std::optional<CentreSnapshot> snapshot, const QDateTime& now, qint64 milliseconds);

    const QString connectString_;
    const std::chrono::milliseconds period_;
    mutable std::mutex mutex_;
    mutable std::mutex batchesMutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
    CentreView view_;
    // Kept by the refresh thread alone.
    LostBatches lost_;
    StatusChanges statusChanges_;
    std::thread thread_;
};
