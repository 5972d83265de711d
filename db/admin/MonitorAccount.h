#pragma once

#include <QString>
#include <QStringList>

class Connection;

// The tables the centre monitor reads, when the database has them; it writes nothing and reads
// nothing of Users or AdminLog.
const QStringList& MonitorTables();

// Creates the monitor's account `name`@`host` with a new random password, which it returns, and
// lets it SELECT the monitor's tables that `database` holds, and nothing more. An existing
// account is refused unless `replace` is set; it then gets a new password and only these grants.
// Returns the tables granted through `granted`.
QString AddMonitorAccount(Connection& connection, const QString& database, const QString& name,
                          const QString& host, bool replace, QStringList& granted);
