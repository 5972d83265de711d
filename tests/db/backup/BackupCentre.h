#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include "support/MariaDbTestServer.h"

// What lindhollow-backup printed and how it ended.
struct BackupRun {
    int exitCode;
    QString output;
    QString errors;
};

// A private MariaDB server keeping its binary log as the centre's configuration has it, with the
// centre's database "lindhollow" (lindhollow-admin create-centre, the operator demo, the backup
// account) and lindhollow-backup set up for it: its account's option file and a folder for the
// backups, both in the object's temporary folder.
class BackupCentre {
  public:
    BackupCentre();

    MariaDbTestServer& Server() { return server_; }
    // The stations' connect string.
    QString Stations() const;
    QString BackupFolder() const { return folder_.filePath(QStringLiteral("backups")); }
    QString Path(const QString& name) const { return folder_.filePath(name); }
    // lindhollow-backup with the arguments, as the backup account, on BackupFolder(): started,
    // or run to its end.
    void Start(QProcess& script, const QStringList& arguments) const;
    BackupRun Run(const QStringList& arguments) const;
    // Runs SQL as the backup account; whether the server took it.
    bool RunAsBackupAccount(const QString& sql) const;
    // CHECKSUM TABLE of the centre's tables on the server of `socket`, as its administrator.
    static QString Checksums(const QString& socket);
    // The first column of the first row of a query as administrator of the server of `socket`.
    static QString Value(const QString& socket, const QString& sql);

  private:
    QTemporaryDir folder_;
    MariaDbTestServer server_;
};
