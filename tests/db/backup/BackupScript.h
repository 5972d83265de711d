#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include "support/MariaDbTestServer.h"

struct BackupRun {
    int exitCode;
    QString output;
    QString errors;
};

// lindhollow-backup set up for the server of `socket` as an installer does: the account that
// lindhollow-admin add-backup-account makes for `database`, its option file, and a folder for
// the backups, in a temporary folder of the object's own.
class BackupScript {
  public:
    BackupScript(const QString& socket, const QString& database);
    QString BackupFolder() const { return Path(QStringLiteral("backups")); }
    QString Path(const QString& name) const { return folder_.filePath(name); }
    void Start(QProcess& script, const QStringList& arguments) const;
    BackupRun Run(const QStringList& arguments) const;
    // Whether the server takes the SQL from the backup account.
    bool RunAsAccount(const QString& sql) const;

  private:
    QTemporaryDir folder_;
    QString database_;
};

// A private MariaDB server keeping its binary log as the centre's configuration has it, with the
// centre's database lindhollow (create-centre, the operator demo), the stations' account, and
// lindhollow-backup set up for it.
class BackupCentre {
  public:
    BackupCentre();
    MariaDbTestServer& Server() { return server_; }
    const BackupScript& Script() const { return *script_; }
    // The stations' connect string to the server, or to another one holding the same accounts.
    static QString Stations(const MariaDbTestServer& server);
    // The rows of a query, as the administrator of the server of `socket`, a line each; the
    // centre's table checksums.
    static QString Query(const QString& socket, const QString& sql);
    static QString Checksums(const QString& socket);

  private:
    MariaDbTestServer server_;
    std::unique_ptr<BackupScript> script_;
};
