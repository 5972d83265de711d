// lindhollow-admin's command for the centre monitor's account.

#include "admin/AdminCommands.h"
#include "admin/MonitorAccount.h"
#include "database/Connection.h"

int AddMonitorCommand(const QCommandLineParser& parser) {
    RequireOnly(parser, {"connect", "database", "host", "account", "replace"});
    const QString database = DatabaseName(parser);
    const QString name =
        parser.isSet("account") ? parser.value("account") : QStringLiteral("monitor");
    const QString host = parser.isSet("host") ? parser.value("host") : QStringLiteral("%");
    Connection connection;
    connection.Open(parser.isSet("connect") ? parser.value("connect")
                                            : QStringLiteral("DSN=Lindhollow;"));
    QStringList granted;
    const QString password =
        AddMonitorAccount(connection, database, name, host, parser.isSet("replace"), granted);
    Out() << "Account '" << name << "'@'" << host << "' may now read " << granted.join(", ")
          << " on " << database << ", and nothing more.\nIts password, shown only now, for the "
          << "monitor's connect string:\n"
          << password << '\n';
    return 0;
}
