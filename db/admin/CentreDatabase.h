#pragma once

#include <QString>

class Connection;

// The database name as MariaDB statements may carry it: letters, digits and underscores,
// at most 64. Throws std::invalid_argument otherwise.
void CheckDatabaseName(const QString& name);

// `text` as a SQL text literal: between single quotes, each quote doubled.
QString SqlText(const QString& text);

// The station spells table names in varying letter case, so a MariaDB server must compare them
// without regard to it. Throws DatabaseError, saying how to set the server up, when it does not.
void RequireCaseInsensitiveTableNames(Connection& connection);

// Empty where the server keeps the session clock from station and monitor accounts; otherwise what
// any account may then do, and how to set the server up.
QString SessionClockWarning(Connection& connection);

// Creates the counting centre's database on a MariaDB server when it is missing, makes it the
// connection's database and creates its missing tables and indexes.
void CreateCentreDatabase(Connection& connection, const QString& database);
