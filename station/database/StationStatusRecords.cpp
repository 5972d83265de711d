// The station's own row in SystemStatus: registering it, keeping it up to date and
// marking the station off line.

#include <exception>

#include "database/Connection.h"
#include "database/LHDataAbstraction.h"
#include "database/Recordset.h"
#include "database/SQLUtilities.h"

bool StationStatusExists(const QString& connectString, qint16 systemId) {
    bool exists = false;
    // Released, and so closed, when the operation ends: the result set first.
    Connection connection;
    Recordset rows;
    try {
        connection.Open(connectString);
        rows.Open(QStringLiteral("SELECT SystemID FROM SystemStatus WHERE SystemID = ") +
                      QString::number(systemId),
                  connection);
        exists = !rows.Eof();
    } catch (const std::exception&) {
        exists = false;
    }
    return exists;
}

bool AddStationStatus(const QString& connectString, qint16 systemId, qint16 systemType,
                      const QString& userId, const QString& status, const QString& currentTask) {
    int affected = 0;
    Connection connection;
    try {
        connection.Open(connectString);
        affected = connection.Execute(
            QStringLiteral("INSERT INTO "
                           "SystemStatus(SYSTEMID,SYSTEMTYPE,USERID,STATUS,CURRENTTASK) VALUES (") +
            QString::number(systemId) + QStringLiteral(",") + QString::number(systemType) +
            QStringLiteral(",'") + DoubleSqlQuotes(userId) + QStringLiteral("','") +
            DoubleSqlQuotes(status) + QStringLiteral("','") + DoubleSqlQuotes(currentTask) +
            QStringLiteral("')"));
    } catch (const std::exception&) {
        affected = 0;
    }
    if (connection.State() != 0) {
        connection.Close();
    }
    return affected != 0;
}

void UpdateStationStatus(const QString& connectString, qint16 systemId, const QString& userId,
                         const QString& status, const QString& currentTask) {
    Connection connection;
    try {
        connection.Open(connectString);
        connection.Execute(QStringLiteral("UPDATE SystemStatus SET USERID = '") +
                           DoubleSqlQuotes(userId) + QStringLiteral("', Status = '") +
                           DoubleSqlQuotes(status) + QStringLiteral("', CURRENTTASK = '") +
                           DoubleSqlQuotes(currentTask) + QStringLiteral("' WHERE SystemID = ") +
                           QString::number(systemId));
    } catch (const std::exception&) {
        // The row keeps what it had; the station carries on.
    }
    if (connection.State() != 0) {
        connection.Close();
    }
}

void SetStationOffline(const QString& connectString, qint16 systemId) {
    Connection connection;
    try {
        connection.Open(connectString);
        connection.Execute(QStringLiteral("UPDATE SystemStatus SET Status = 'OFFLINE',CurrentTask "
                                          "= 'IDLE' WHERE SYSTEMID = ") +
                           QString::number(systemId));
    } catch (const std::exception&) {
        // The station is stopping; the row keeps what it had.
    }
    if (connection.State() != 0) {
        connection.Close();
    }
}
