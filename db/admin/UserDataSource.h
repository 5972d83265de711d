#pragma once

#include <QString>

enum class WriteOutcome { Written, Unchanged };

// Writes the user ODBC data source `name` for a SQLite database file: the
// embedded default of a single station. An existing data source of that name is
// kept when it already says the same, and overwritten only when `force` is set.
WriteOutcome WriteSqliteDataSource(const QString& name, const QString& databaseFile, bool force);

// Where unixODBC keeps this user's data sources.
QString UserDataSourceFile();
