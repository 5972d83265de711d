#pragma once

#include <QString>

enum class WriteOutcome { Written, Unchanged };

// Writes the user ODBC data source `name` for a SQLite database file: the
// embedded default of a single station. An existing data source of that name is
// kept when it already says the same, and overwritten only when `force` is set.
WriteOutcome WriteSqliteDataSource(const QString& name, const QString& databaseFile, bool force);

// A station's data source on the counting centre's MariaDB server.
struct MariaDbDataSource {
    QString server;
    int port = 3306;
    QString database;
    QString account;
    QString password;
    // The certificate of the authority that signed the server's certificate. When set, the
    // station connects only encrypted, and only to a server whose certificate it signed and
    // which bears the name given in `server`.
    QString certificateAuthority;
};

// Writes the user ODBC data source `name` for a MariaDB server, as WriteSqliteDataSource does.
// It holds the account's password, so the file is made readable by its owner alone before
// anything is written to it.
WriteOutcome WriteMariaDbDataSource(const QString& name, const MariaDbDataSource& source,
                                    bool force);

// Where unixODBC keeps this user's data sources.
QString UserDataSourceFile();
// An attribute of one of this user's data sources; empty when it has none.
QString DataSourceAttribute(const QString& name, const char* key);
