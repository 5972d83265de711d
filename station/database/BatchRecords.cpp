// Batch rows: checking, numbering, creating, closing and deleting them.

#include <exception>

#include "database/Connection.h"
#include "database/FieldNumbers.h"
#include "database/LHDataAbstraction.h"
#include "database/Recordset.h"
#include "database/SQLUtilities.h"
#include "database/SqlDateTime.h"
#include "database/StationClock.h"

bool BatchExists(const QString& connectString, qint16 systemId, qint16 batchNo) {
    bool exists = false;
    Connection connection;
    Recordset rows;
    try {
        connection.Open(connectString);
        rows.Open(QStringLiteral("SELECT BatchNo from Batches WHERE BatchNo = ") +
                      QString::number(batchNo) + QStringLiteral(" AND SystemID = ") +
                      QString::number(systemId),
                  connection);
        exists = !rows.Eof();
    } catch (const std::exception&) {
        // A number that cannot be checked must not be opened.
        exists = true;
    }
    if (rows.State() != 0) {
        rows.Close();
    }
    if (connection.State() != 0) {
        connection.Close();
    }
    return exists;
}

qint16 GetNextBatchNumber(const QString& connectString, qint16 systemId) {
    qint16 next = 1;
    Connection connection;
    Recordset rows;
    try {
        connection.Open(connectString);
        rows.Open(QStringLiteral("SELECT BatchNo,SystemID FROM Batches WHERE SystemID = ") +
                      QString::number(systemId) +
                      QStringLiteral(" ORDER BY SystemID, BatchNo DESC"),
                  connection);
        if (!rows.Eof()) {
            rows.MoveFirst();
            // The highest is itself a batch number; its successor must be one too.
            const qint16 highest =
                ToInt16(WholeNumber(rows.Fields(QStringLiteral("BatchNo")).Value()));
            next = ToInt16(qint64{highest} + 1);
        }
    } catch (const std::exception&) {
        next = -1;
    }
    if (rows.State() != 0) {
        rows.Close();
    }
    if (connection.State() != 0) {
        connection.Close();
    }
    return next;
}

bool CreateBatch(const QString& connectString, qint16 batchNo, qint16 systemId,
                 const QString& userId) {
    const QDateTime startTime = StationNow();
    bool written = true;
    Connection connection;
    try {
        connection.Open(connectString);
        connection.Execute(
            QStringLiteral("INSERT INTO Batches(BatchNo,StartTime,SystemID,UserID) VALUES (") +
            QString::number(batchNo) + QStringLiteral(", ") + QStringLiteral("'") +
            SqlDateTimeText(startTime) + QStringLiteral("', ") + QString::number(systemId) +
            QStringLiteral(", ") + QStringLiteral("'") + DoubleSqlQuotes(userId) +
            QStringLiteral("')"));
    } catch (const std::exception&) {
        // Nobody is told here; the caller decides.
        written = false;
    }
    if (connection.State() != 0) {
        connection.Close();
    }
    return written;
}

bool DeleteBatch(const QString& connectString, qint16 systemId, qint16 batchNo) {
    bool deleted = true;
    Connection connection;
    try {
        connection.Open(connectString);
        connection.Execute(QStringLiteral("DELETE FROM Batches WHERE BatchNo = ") +
                           QString::number(batchNo) + QStringLiteral(" AND SystemID = ") +
                           QString::number(systemId));
        connection.Execute(QStringLiteral("DELETE FROM BallotImages WHERE SystemID = ") +
                           QString::number(systemId) + QStringLiteral(" AND BatchNo = ") +
                           QString::number(batchNo));
    } catch (const std::exception&) {
        // What was deleted stays deleted; nobody is told here.
        deleted = false;
    }
    if (connection.State() != 0) {
        connection.Close();
    }
    return deleted;
}

int DeleteOpenBatches(const QString& connectString, qint16 systemId) {
    int removed = -1;
    Connection connection;
    try {
        connection.Open(connectString);
        // Images first: once the batch rows are gone nothing tells which images were open.
        connection.Execute(
            QStringLiteral("DELETE BallotImages FROM BallotImages INNER JOIN Batches ON "
                           "BallotImages.BatchNo = Batches.BatchNo") +
            QStringLiteral(" AND ") + QStringLiteral("BallotImages.SystemID = Batches.SystemID") +
            QStringLiteral(" WHERE Batches.SystemID = ") + QString::number(systemId) +
            QStringLiteral(" AND Batches.EndTime IS NULL"));
        removed =
            connection.Execute(QStringLiteral("DELETE FROM Batches WHERE SystemID = ") +
                               QString::number(systemId) + QStringLiteral(" AND EndTime IS NULL"));
    } catch (const std::exception&) {
        // Open batch rows left behind are removed at the next start.
        removed = -1;
    }
    if (connection.State() != 0) {
        connection.Close();
    }
    return removed;
}

bool CloseBatch(const QString& connectString, qint16 systemId, qint16 batchNo, qint32 imageCount,
                qint32 ballotCount) {
    const QDateTime endTime = StationNow();
    bool closed = true;
    Connection connection;
    try {
        connection.Open(connectString);
        connection.Execute(QStringLiteral("UPDATE Batches SET ") + QStringLiteral("ImageCount = ") +
                           QString::number(imageCount) + QStringLiteral(", ") +
                           QStringLiteral("BallotCount = ") + QString::number(ballotCount) +
                           QStringLiteral(", ") + QStringLiteral("EndTime = '") +
                           SqlDateTimeText(endTime) + QStringLiteral("' ") +
                           QStringLiteral("WHERE BatchNo = ") + QString::number(batchNo) +
                           QStringLiteral(" AND SystemID = ") + QString::number(systemId));
    } catch (const std::exception&) {
        // A batch left open is removed with its images at the next start.
        closed = false;
    }
    if (connection.State() != 0) {
        connection.Close();
    }
    return closed;
}
