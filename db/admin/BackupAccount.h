#pragma once

#include <QString>

class Connection;

// Creates the backup account `name`@`host` with a new random password, which it returns. It may
// do what lindhollow-backup needs of the server (copy the data while the stations write, close
// and list the binary logs) and add rows to the database's Backups table, and nothing more: it
// reads and writes no other table. An existing account is refused unless `replace` is set; it
// then gets a new password and only these grants.
QString AddBackupAccount(Connection& connection, const QString& database, const QString& name,
                         const QString& host, bool replace);
