// lindhollow-admin's command for the centre monitor's account.

#include "admin/AdminCommands.h"
#include "admin/AdminLog.h"
#include "admin/MonitorAccount.h"
#include "database/Connection.h"

int AddMonitorCommand(const QCommandLineParser& parser) {
    const ServerAccountOptions account =
        ServerAccountOf(parser, QStringLiteral("monitor"), QStringLiteral("%"));
    Connection connection;
    OpenDatabase(connection, parser);
    QStringList granted;
    QString password;
    RunRecorded(connection, {"add-monitor", account.quoted, account.database}, [&] {
        password = AddMonitorAccount(connection, account.database, account.name, account.host,
                                     parser.isSet("replace"), granted);
        return QStringLiteral("Account %1 given a new password and reading rights only.")
            .arg(account.quoted);
    });
    Out() << "Account " << account.quoted << " may now read " << granted.join(", ") << " on "
          << account.database << ", and nothing more.\nIts password, shown only now, for the "
          << "monitor's connect string:\n"
          << password << '\n';
    return 0;
}
