#pragma once

#include <QString>
#include <functional>

class Connection;

// An administrator's command that changes operators, station accounts or the schema, as the
// centre's AdminLog records it.
struct AdminAction {
    QString command;  // lindhollow-admin's command name
    QString target;   // what it changes: an operator, an account, a database
    // The database whose AdminLog records it; empty: the connection's own.
    QString database;
};

// Runs `change`, which returns what it did in words, and records that, or why it failed, in
// AdminLog with the time in UTC and the server account of the connection. On MariaDB a
// database without AdminLog is refused before anything changes, unless `change` makes it;
// SQLite keeps no log.
QString RunRecorded(Connection& connection, const AdminAction& action,
                    const std::function<QString()>& change, bool changeMakesTheLog = false);
