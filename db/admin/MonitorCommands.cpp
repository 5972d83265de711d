// lindhollow-admin's command for the centre monitor's account.

#include "admin/AdminCommands.h"
#include "admin/AdminLog.h"
#include "admin/MonitorAccount.h"
#include "database/Connection.h"

int AddMonitorCommand(const QCommandLineParser& parser) {
    RequireOnly(parser, {"connect", "database", "host", "account", "replace"});
    const QString database = DatabaseName(parser);
    const QString name = ValueOr(parser, QStringLiteral("account"), QStringLiteral("monitor"));
    const QString host = ValueOr(parser, QStringLiteral("host"), QStringLiteral("%"));
    Connection connection;
    OpenDatabase(connection, parser);
    QStringList granted;
    QString password;
    const QString account = QStringLiteral("'%1'@'%2'").arg(name, host);
    RunRecorded(connection, {"add-monitor", account, database}, [&] {
        password =
            AddMonitorAccount(connection, database, name, host, parser.isSet("replace"), granted);
        return QStringLiteral("Account %1 given a new password and reading rights only.")
            .arg(account);
    });
    Out() << "Account " << account << " may now read " << granted.join(", ") << " on " << database
          << ", and nothing more.\nIts password, shown only now, for the "
          << "monitor's connect string:\n"
          << password << '\n';
    return 0;
}
