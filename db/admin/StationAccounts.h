#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

class Connection;

// What a station does on each table of the centre's database: the login reads Users, the
// batch cycle and the status row read and write the other three. Nothing else.
struct TablePrivileges {
    QString table;
    QStringList privileges;
};
const QList<TablePrivileges>& StationPrivileges();

// The server account of a station: "station3" from any host matching `host` (a MariaDB host
// pattern; "%" is any).
struct StationAccount {
    qint16 systemId;
    QString host;
    QString Name() const { return QStringLiteral("station%1").arg(systemId); }
    // 'station3'@'%', as statements write it.
    QString Quoted() const;
};

// Creates the station's account with a new random password, which it returns, and gives it the
// station's privileges on `database` and nothing more. An existing account is refused unless
// `replace` is set; it then gets a new password and, instead of what it held, the station's
// privileges.
QString AddStationAccount(Connection& connection, const QString& database,
                          const StationAccount& account, bool replace);
// Creates the server account `name`@`host` with a new random password, which it returns, and
// gives it `privileges` on `database` and nothing more. An existing account is refused (naming
// `whose` privileges) unless `replace` is set; it then gets a new password and, instead of what it
// held, these privileges.
QString AddServerAccount(Connection& connection, const QString& database, const QString& name,
                         const QString& host, const QList<TablePrivileges>& privileges,
                         bool replace, const QString& whose);

// Returns false when there was no such account.
bool RemoveStationAccount(Connection& connection, const StationAccount& account);
