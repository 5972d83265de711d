#pragma once

#include <QDateTime>
#include <QList>
#include <QMap>

#include "CentreSnapshot.h"

class Connection;

// The statements of the refreshes on one connection, on SQLite or MariaDB. Every statement only
// reads, and at a centre of 20 stations x 999 batches x 500 images each stays on an index of the
// small Batches and SystemStatus tables or reads the audit anchors added since the last refresh.
class CentreReader {
  public:
    explicit CentreReader(Connection& connection) : connection_(connection) {}

    // Everything but the lost batches and the observed status changes, read at `now` (local).
    CentreSnapshot Read(const QDateTime& now);
    enum class Order { OldestFirst, NewestFirst };
    // The batches closed at or after `since` (local) and those still open, by start time, the
    // first `limit` of them in `order`.
    QList<BatchRow> BatchesSince(const QDateTime& since, int limit, Order order);
    // Whether station `systemId`'s batch `batchNo`, started at `startTime`, is still in the
    // database, open or closed.
    bool BatchStillThere(int systemId, int batchNo, const QDateTime& startTime);

  private:
    void ReadStations(CentreSnapshot& snapshot);
    void ReadTotals(CentreSnapshot& snapshot);
    void ReadPace(CentreSnapshot& snapshot, const QDateTime& now);
    void ReadAnchorLags(CentreSnapshot& snapshot);
    void ReadBackups(CentreSnapshot& snapshot, const QDateTime& now);

    struct LatestAnchor {
        qint64 key = 0;
        QDateTime at;  // UTC
    };

    Connection& connection_;
    QMap<int, LatestAnchor> latestAnchors_;
    qint64 anchorsReadUpTo_ = -1;  // the greatest anchor key read; -1 before the first reading
};

// Seconds a station's latest batch start or end may go without an audit anchor after it.
constexpr int kAnchorAllowanceSeconds = 60;
// The most batches one document lists: a day of a whole centre's.
constexpr int kMostBatches = 5000;
// The page's list of the last hour's batches, the newest.
constexpr int kPageBatches = 60;
// Anchor keys below the greatest one read that each refresh reads again.
constexpr int kAnchorKeysReadAgain = 100;
// The pace chart's span.
constexpr int kPaceHours = 12;
