// lindhollow-admin's command for the account of the centre's backups (lindhollow-backup).

#include "admin/AdminCommands.h"
#include "admin/AdminLog.h"
#include "admin/BackupAccount.h"
#include "database/Connection.h"

int AddBackupCommand(const QCommandLineParser& parser) {
    // mariadb-backup copies the server's files, so it runs on the server's machine.
    const ServerAccountOptions account =
        ServerAccountOf(parser, QStringLiteral("backup"), QStringLiteral("localhost"));
    Connection connection;
    OpenDatabase(connection, parser);
    QString password;
    RunRecorded(connection, {"add-backup-account", account.quoted, account.database}, [&] {
        password = AddBackupAccount(connection, account.database, account.name, account.host,
                                    parser.isSet("replace"));
        return QStringLiteral("Account %1 given a new password and the backup rights only.")
            .arg(account.quoted);
    });
    Out() << "Account " << account.quoted << " may now take backups of the server and add rows to "
          << account.database << ".Backups, and nothing more.\nIts password, shown only now, for "
          << "/etc/lindhollow/backup.cnf:\n"
          << password << '\n';
    return 0;
}
