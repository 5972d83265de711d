#pragma once

#include <QDateTime>
#include <QList>

#include "CentreSnapshot.h"

class Connection;

// The statements of one refresh, on SQLite or MariaDB. Every statement only reads, and each one
// at a centre of 20 stations x 999 batches x 500 images stays on an index or on the small
// Batches and SystemStatus tables.
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
    void ReadTotalsAndPace(CentreSnapshot& snapshot, const QDateTime& now);
    void ReadAnchorLags(CentreSnapshot& snapshot);
    bool HasTable(const QString& name);

    Connection& connection_;
};

// Minutes a station's latest batch may go without an audit anchor after it.
constexpr int kAnchorAllowanceSeconds = 60;
// The most batches one document lists: a day of a whole centre's.
constexpr int kMostBatches = 5000;
// The page's list of the last hour's batches, the newest.
constexpr int kPageBatches = 60;
// The pace chart's span.
constexpr int kPaceHours = 12;
