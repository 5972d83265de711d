#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>

// What one reading of the centre's database found. Batch times are the stations' local clock
// times, as the stations write them; anchor times are UTC.

struct StationRow {
    int systemId = 0;
    QString userId;
    QString status;
    QString currentTask;
    // The station's open batch, when it has one.
    std::optional<int> openBatch;
    QDateTime openSince;
    // The latest start or end of one of its batches, or of a change of its status row that the
    // monitor saw.
    QDateTime lastActivity;
};

struct BatchRow {
    int systemId = 0;
    int batchNo = 0;
    QString userId;
    QDateTime startTime;
    QDateTime endTime;  // invalid while open
    std::optional<int> imageCount;
    std::optional<int> ballotCount;
    std::optional<int> waitingRepair;
    std::optional<int> discarded;
};

struct CentreTotals {
    qint64 batchesClosed = 0;
    qint64 batchesOpen = 0;
    qint64 images = 0;
    qint64 ballots = 0;
    qint64 waitingRepair = 0;
    qint64 discarded = 0;
    // Batches deleted before they were closed, as the monitor saw them go since it started.
    qint64 batchesLost = 0;
};

// Ballots of the batches closed in one ten-minute span.
struct PaceBin {
    QDateTime from;
    qint64 ballots = 0;
};

struct AnchorLag {
    int systemId = 0;
    QDateTime lastAnchor;  // UTC; invalid when the station has never anchored
    QDateTime lastBatchEvent;
};

// The newest backup of one kind that lindhollow-backup recorded.
struct BackupState {
    QString kind;  // "full" or "incremental"
    QString name;
    QDateTime finished;  // UTC
    bool verified = false;
    int periodMinutes = 0;
    // Older than twice its period at the reading: a backup is missing.
    bool late = false;
};

struct CentreSnapshot {
    QDateTime readAt;
    QList<StationRow> stations;
    CentreTotals totals;
    QList<PaceBin> pace;
    // The newest of the batches open or closed in the last hour, newest first, and how many
    // there are in all.
    QList<BatchRow> lastHour;
    int lastHourCount = 0;
    // Absent when the database has no audit anchors.
    std::optional<QList<AnchorLag>> anchorLags;
    // Absent when the database has no Backups table; a kind never taken is left out.
    std::optional<QList<BackupState>> backups;
};
