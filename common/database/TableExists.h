#pragma once

#include <QString>

class Connection;

// Whether the database holds `table`, its name compared without regard to letter case, as the
// station spells table names in varying case: the connection's own database, or on MariaDB the
// one named `database`. MariaDB lists only the tables the account may use.
bool TableExists(Connection& connection, const QString& table, const QString& database = {});

// MariaDB's type of `table` in the connection's database ("BASE TABLE", "SYSTEM VERSIONED", …);
// empty when it has no such table.
QString TableType(Connection& connection, const QString& table);
