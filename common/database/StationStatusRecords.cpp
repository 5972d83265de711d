// The station's own row in SystemStatus: registering it, keeping it up to date and
// marking the station off line.

#include "database/Connection.h"
#include "database/LHDataAbstraction.h"
#include "database/OnConnection.h"
#include "database/Recordset.h"
#include "database/SQLUtilities.h"

bool StationStatusExists(const QString& connectString, qint16 systemId) {
    bool exists = false;
    OnConnection(connectString, [&](Connection& connection) {
        Recordset rows;
        rows.Open(QStringLiteral("SELECT SystemID FROM SystemStatus WHERE SystemID = ") +
                      QString::number(systemId),
                  connection);
        exists = !rows.Eof();
    });
    return exists;
}

bool AddStationStatus(const QString& connectString, qint16 systemId, qint16 systemType,
                      const QString& userId, const QString& status, const QString& currentTask) {
    int affected = 0;
    OnConnection(connectString, [&](Connection& connection) {
        affected = connection.Execute(
            QStringLiteral("INSERT INTO "
                           "SystemStatus(SYSTEMID,SYSTEMTYPE,USERID,STATUS,CURRENTTASK) VALUES (") +
            QString::number(systemId) + QStringLiteral(",") + QString::number(systemType) +
            QStringLiteral(",'") + DoubleSqlQuotes(userId) + QStringLiteral("','") +
            DoubleSqlQuotes(status) + QStringLiteral("','") + DoubleSqlQuotes(currentTask) +
            QStringLiteral("')"));
    });
    return affected != 0;
}

void UpdateStationStatus(const QString& connectString, qint16 systemId, const QString& userId,
                         const QString& status, const QString& currentTask) {
    // On failure the row keeps what it had; the station carries on.
    OnConnection(connectString, [&](Connection& connection) {
        connection.Execute(QStringLiteral("UPDATE SystemStatus SET USERID = '") +
                           DoubleSqlQuotes(userId) + QStringLiteral("', Status = '") +
                           DoubleSqlQuotes(status) + QStringLiteral("', CURRENTTASK = '") +
                           DoubleSqlQuotes(currentTask) + QStringLiteral("' WHERE SystemID = ") +
                           QString::number(systemId));
    });
}

void SetStationOffline(const QString& connectString, qint16 systemId) {
    // The station is stopping; on failure the row keeps what it had.
    OnConnection(connectString, [&](Connection& connection) {
        connection.Execute(QStringLiteral("UPDATE SystemStatus SET Status = 'OFFLINE',CurrentTask "
                                          "= 'IDLE' WHERE SYSTEMID = ") +
                           QString::number(systemId));
    });
}
