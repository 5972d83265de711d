#pragma once

#include <QString>
#include <QtGlobal>

// The station's operations on the counting-centre database. Each opens a connection
// of its own with the connect string it is given (DSNCONNECTSTR), builds its
// statements by concatenation, closes what it opened, and never shows or raises a
// failure: it returns its failure value instead (noted at each), or nothing.
//
// Operator identifiers, statuses and tasks go into statements with every single quote
// doubled, so that a quote in them cannot end the text early.

// Batch rows (BatchRecords.cpp).

// Whether this station has used the batch number. Failure: true (the number counts as used).
bool BatchExists(const QString& connectString, qint16 systemId, qint16 batchNo);
// The station's highest batch number plus 1, or 1 without batches. Failure: -1, also
// when the highest is 32767.
qint16 GetNextBatchNumber(const QString& connectString, qint16 systemId);
// An open batch row stamped with the current local time. Note the batch number first.
// True when the row was written; callers that must know whether the database took it ask.
bool CreateBatch(const QString& connectString, qint16 batchNo, qint16 systemId,
                 const QString& userId);
// The batch row and the batch's image rows, in that order, then its seals and image bytes. True
// when every command ran.
bool DeleteBatch(const QString& connectString, qint16 systemId, qint16 batchNo);
// The images of this station's open batches, then those batch rows; then the seals and image bytes
// of the station's batches without a row. The number of batch rows removed. Failure before the
// batch rows were removed: -1.
int DeleteOpenBatches(const QString& connectString, qint16 systemId);
// The counts and the end time (the current local time) of the batch row. True when the
// command ran.
bool CloseBatch(const QString& connectString, qint16 systemId, qint16 batchNo, qint32 imageCount,
                qint32 ballotCount);
// Whether the batch row has its end time: a close whose answer was lost may have been done.
// Failure: false.
bool BatchClosed(const QString& connectString, qint16 systemId, qint16 batchNo);

// Station status rows (StationStatusRecords.cpp).

// Whether the station has a status row. Failure: false.
bool StationStatusExists(const QString& connectString, qint16 systemId);
// Registers the station; true when a row was added. Failure: false.
bool AddStationStatus(const QString& connectString, qint16 systemId, qint16 systemType,
                      const QString& userId, const QString& status, const QString& currentTask);
void UpdateStationStatus(const QString& connectString, qint16 systemId, const QString& userId,
                         const QString& status, const QString& currentTask);
void SetStationOffline(const QString& connectString, qint16 systemId);

// Batch tallies (BatchTallies.cpp).

// Counts the batch's image rows by status code and by flag and writes the nine counts
// onto the batch row; nothing is written unless all nine counts succeed. True when they were
// written.
bool UpdateBatchTallies(const QString& connectString, qint16 systemId, qint16 batchNo);

// Audit anchors (AuditAnchorRecords.cpp).

// One anchor of the station's audit log: the log's id, and the sequence number, hash and line of
// its latest record, stamped with the current UTC time. True when the row was added.
bool AddAuditAnchor(const QString& connectString, qint16 systemId, const QString& logId,
                    qint64 sequence, const QString& hash, const QString& line);
