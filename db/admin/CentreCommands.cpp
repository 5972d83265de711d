// lindhollow-admin's commands on the centre's database.

#include <optional>

#include "admin/AdminCommands.h"
#include "admin/CentreDatabase.h"
#include "admin/Operators.h"
#include "admin/Schema.h"
#include "admin/StationAccounts.h"
#include "database/Connection.h"

namespace {

void OpenDatabase(Connection& connection, const QCommandLineParser& parser) {
    connection.Open(parser.isSet("connect") ? parser.value("connect")
                                            : QStringLiteral("DSN=Lindhollow;"));
}

std::optional<int> PrivilegeLevel(const QCommandLineParser& parser) {
    if (!parser.isSet("privilege")) {
        return std::nullopt;
    }
    bool ok = false;
    const int level = parser.value("privilege").toInt(&ok);
    if (!ok) {
        throw UsageError("--privilege must be a whole number");
    }
    return level;
}

// The station whose account --system-id and --host name.
StationAccount Account(const QCommandLineParser& parser) {
    const QString systemId = Required(parser, "system-id");
    for (const SettingOption& setting : SettingOptions()) {
        if (qstrcmp(setting.option, "system-id") == 0 && !setting.valid(systemId)) {
            throw UsageError("--system-id must be " + std::string(setting.expected) + ", not \"" +
                             systemId.toStdString() + "\"");
        }
    }
    return {qint16(systemId.toShort()),
            parser.isSet("host") ? parser.value("host") : QStringLiteral("%")};
}

}  // namespace

int CreateSchemaCommand(const QCommandLineParser& parser) {
    RequireOnly(parser, {"connect"});
    Connection connection;
    OpenDatabase(connection, parser);
    CreateSchema(connection);
    Out() << "The schema is in place (" << connection.DbmsName() << ").\n";
    return 0;
}

int AddOperatorCommand(const QCommandLineParser& parser) {
    RequireOnly(parser, {"connect", "user", "password", "privilege", "replace"});
    const QString user = Required(parser, "user");
    const QString password = Required(parser, "password");
    const std::optional<int> level = PrivilegeLevel(parser);
    Connection connection;
    OpenDatabase(connection, parser);
    switch (AddOperator(connection, user, password, level, parser.isSet("replace"))) {
        case AddOutcome::Added:
            Out() << "Operator " << user << " added.\n";
            break;
        case AddOutcome::AlreadyPresent:
            Out() << "Operator " << user << " is already there; nothing changed.\n";
            break;
        case AddOutcome::Replaced:
            Out() << "Operator " << user << " replaced.\n";
            break;
    }
    return 0;
}

int ListOperatorsCommand(const QCommandLineParser& parser) {
    RequireOnly(parser, {"connect"});
    Connection connection;
    OpenDatabase(connection, parser);
    for (const Operator& op : ListOperators(connection)) {
        Out() << op.userId << '\t'
              << (op.privilegeLevel ? QString::number(*op.privilegeLevel) : QStringLiteral("-"))
              << '\n';
    }
    return 0;
}

int RemoveOperatorCommand(const QCommandLineParser& parser) {
    RequireOnly(parser, {"connect", "user"});
    const QString user = Required(parser, "user");
    Connection connection;
    OpenDatabase(connection, parser);
    if (!RemoveOperator(connection, user)) {
        throw std::runtime_error("there is no operator " + user.toStdString());
    }
    Out() << "Operator " << user << " removed.\n";
    return 0;
}

int CreateCentreCommand(const QCommandLineParser& parser) {
    RequireOnly(parser, {"connect", "database"});
    const QString database = DatabaseName(parser);
    Connection connection;
    OpenDatabase(connection, parser);
    CreateCentreDatabase(connection, database);
    Out() << "The counting centre's database " << database << " is in place ("
          << connection.DbmsName() << ").\n";
    return 0;
}

int AddStationCommand(const QCommandLineParser& parser) {
    RequireOnly(parser, {"connect", "database", "system-id", "host", "replace"});
    const StationAccount account = Account(parser);
    const QString database = DatabaseName(parser);
    Connection connection;
    OpenDatabase(connection, parser);
    const QString password =
        AddStationAccount(connection, database, account, parser.isSet("replace"));
    Out() << "Account " << account.Quoted() << " may now do what station " << account.systemId
          << " does on " << database << ".\nIts password, shown only now, for write-dsn on the "
          << "station:\n"
          << password << '\n';
    return 0;
}

int RemoveStationCommand(const QCommandLineParser& parser) {
    RequireOnly(parser, {"connect", "system-id", "host"});
    const StationAccount account = Account(parser);
    Connection connection;
    OpenDatabase(connection, parser);
    if (!RemoveStationAccount(connection, account)) {
        throw std::runtime_error("there is no account " + account.Quoted().toStdString());
    }
    Out() << "Account " << account.Quoted() << " removed.\n";
    return 0;
}
