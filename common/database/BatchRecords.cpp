// Batch rows: checking, numbering, creating, closing and deleting them.

#include "database/Connection.h"
#include "database/FieldNumbers.h"
#include "database/LHDataAbstraction.h"
#include "database/OnConnection.h"
#include "database/Recordset.h"
#include "database/SQLUtilities.h"
#include "database/SqlDateTime.h"
#include "database/StationClock.h"

bool BatchExists(const QString& connectString, qint16 systemId, qint16 batchNo) {
    bool exists = false;
    const bool checked = OnConnection(connectString, [&](Connection& connection) {
        Recordset rows;
        rows.Open(QStringLiteral("SELECT BatchNo from Batches WHERE BatchNo = ") +
                      QString::number(batchNo) + QStringLiteral(" AND SystemID = ") +
                      QString::number(systemId),
                  connection);
        exists = !rows.Eof();
    });
    // A number that cannot be checked must not be opened.
    return exists || !checked;
}

qint16 GetNextBatchNumber(const QString& connectString, qint16 systemId) {
    qint16 next = 1;
    const bool read = OnConnection(connectString, [&](Connection& connection) {
        Recordset rows;
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
    });
    return read ? next : qint16{-1};
}

bool CreateBatch(const QString& connectString, qint16 batchNo, qint16 systemId,
                 const QString& userId) {
    const QDateTime startTime = StationNow();
    // Nobody is told here; the caller decides.
    return OnConnection(connectString, [&](Connection& connection) {
        connection.Execute(
            QStringLiteral("INSERT INTO Batches(BatchNo,StartTime,SystemID,UserID) VALUES (") +
            QString::number(batchNo) + QStringLiteral(", ") + QStringLiteral("'") +
            SqlDateTimeText(startTime) + QStringLiteral("', ") + QString::number(systemId) +
            QStringLiteral(", ") + QStringLiteral("'") + DoubleSqlQuotes(userId) +
            QStringLiteral("')"));
    });
}

bool DeleteBatch(const QString& connectString, qint16 systemId, qint16 batchNo) {
    // What was deleted stays deleted; nobody is told here.
    return OnConnection(connectString, [&](Connection& connection) {
        connection.Execute(QStringLiteral("DELETE FROM Batches WHERE BatchNo = ") +
                           QString::number(batchNo) + QStringLiteral(" AND SystemID = ") +
                           QString::number(systemId));
        connection.Execute(QStringLiteral("DELETE FROM BallotImages WHERE SystemID = ") +
                           QString::number(systemId) + QStringLiteral(" AND BatchNo = ") +
                           QString::number(batchNo));
        // The seals and the bytes go with the images they stand for, so the number can be
        // scanned again.
        for (const char* table : {"ImageSeals", "ImageFiles"}) {
            connection.Execute(QStringLiteral("DELETE FROM %1 WHERE SystemID = %2 AND BatchNo = %3")
                                   .arg(QLatin1StringView(table))
                                   .arg(systemId)
                                   .arg(batchNo));
        }
    });
}

int DeleteOpenBatches(const QString& connectString, qint16 systemId) {
    int removed = -1;
    // Open batch rows left behind are removed at the next start.
    OnConnection(connectString, [&](Connection& connection) {
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
        // Then the seals and bytes of the station's batches that have no row (those just removed,
        // or a lost batch's whose removal stopped part way): they would refuse a rescan's own.
        for (const char* table : {"ImageSeals", "ImageFiles"}) {
            connection.Execute(QStringLiteral("DELETE FROM %1 WHERE SystemID = %2 AND NOT EXISTS "
                                              "(SELECT 1 FROM Batches WHERE Batches.SystemID = "
                                              "%1.SystemID AND Batches.BatchNo = %1.BatchNo)")
                                   .arg(QLatin1StringView(table))
                                   .arg(systemId));
        }
    });
    return removed;
}

bool CloseBatch(const QString& connectString, qint16 systemId, qint16 batchNo, qint32 imageCount,
                qint32 ballotCount) {
    const QDateTime endTime = StationNow();
    // A batch left open is removed with its images at the next start.
    return OnConnection(connectString, [&](Connection& connection) {
        connection.Execute(QStringLiteral("UPDATE Batches SET ") + QStringLiteral("ImageCount = ") +
                           QString::number(imageCount) + QStringLiteral(", ") +
                           QStringLiteral("BallotCount = ") + QString::number(ballotCount) +
                           QStringLiteral(", ") + QStringLiteral("EndTime = '") +
                           SqlDateTimeText(endTime) + QStringLiteral("' ") +
                           QStringLiteral("WHERE BatchNo = ") + QString::number(batchNo) +
                           QStringLiteral(" AND SystemID = ") + QString::number(systemId));
    });
}

bool BatchClosed(const QString& connectString, qint16 systemId, qint16 batchNo) {
    bool closed = false;
    OnConnection(connectString, [&](Connection& connection) {
        Recordset rows;
        rows.Open(QStringLiteral("SELECT EndTime FROM Batches WHERE BatchNo = ") +
                      QString::number(batchNo) + QStringLiteral(" AND SystemID = ") +
                      QString::number(systemId) + QStringLiteral(" AND EndTime IS NOT NULL"),
                  connection);
        closed = !rows.Eof();
    });
    return closed;
}
