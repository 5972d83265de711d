// lindhollow-admin's command for the account of the centre's backups (lindhollow-backup).

#include "admin/AdminCommands.h"
#include "admin/AdminLog.h"
#include "admin/BackupAccount.h"
#include "database/Connection.h"

int AddBackupCommand(const QCommandLineParser& parser) {
    RequireOnly(parser, {"connect", "database", "host", "account", "replace"});
    const QString database = DatabaseName(parser);
    const QString name = ValueOr(parser, QStringLiteral("account"), QStringLiteral("backup"));
    // mariadb-backup copies the server's files, so it runs on the server's machine.
    const QString host = ValueOr(parser, QStringLiteral("host"), QStringLiteral("localhost"));
    Connection connection;
    OpenDatabase(connection, parser);
    QString password;
    const QString account = QStringLiteral("'%1'@'%2'").arg(name, host);
    RunRecorded(connection, {"add-backup-account", account, database}, [&] {
        password = AddBackupAccount(connection, database, name, host, parser.isSet("replace"));
        return QStringLiteral("Account %1 given a new password and the backup rights only.")
            .arg(account);
    });
    Out() << "Account " << account << " may now take backups of the server and add rows to "
          << database << ".Backups, and nothing more.\nIts password, shown only now, for "
          << "/etc/lindhollow/backup.cnf:\n"
          << password << '\n';
    return 0;
}
