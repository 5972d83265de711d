// lindhollow-admin's commands on the centre's database.

#include <optional>

#include "admin/AdminCommands.h"
#include "admin/AdminLog.h"
#include "admin/BatchHistory.h"
#include "admin/CentreDatabase.h"
#include "admin/Operators.h"
#include "admin/Schema.h"
#include "admin/SecretInput.h"
#include "admin/StationAccounts.h"
#include "database/Connection.h"
#include "database/Recordset.h"

namespace {

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

// A whole number option within the range of a station or batch number.
qint16 Number(const QCommandLineParser& parser, const QString& name) {
    bool ok = false;
    const short value = Required(parser, name).toShort(&ok);
    if (!ok) {
        throw UsageError("--" + name.toStdString() + " must be a whole number");
    }
    return value;
}

QString CurrentDatabase(Connection& connection) {
    if (!connection.IsMariaDb()) {
        return {};
    }
    Recordset row;
    row.Open(QStringLiteral("SELECT DATABASE() AS v"), connection);
    return row.Fields(QStringLiteral("v")).Value().toString();
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
            ValueOr(parser, QStringLiteral("host"), QStringLiteral("%"))};
}

}  // namespace

int CreateSchemaCommand(const QCommandLineParser& parser) {
    RequireOnly(parser, {"connect"});
    Connection connection;
    OpenDatabase(connection, parser);
    const AdminAction action{"create-schema", CurrentDatabase(connection), {}};
    Out()
        << RunRecorded(
               connection, action,
               [&] {
                   CreateSchema(connection);
                   return QStringLiteral("The schema is in place (%1).").arg(connection.DbmsName());
               },
               true)
        << '\n';
    return 0;
}

int AddOperatorCommand(const QCommandLineParser& parser) {
    RequireOnly(parser, {"connect", "user", "password", "privilege", "replace"});
    const QString user = Required(parser, "user");
    const std::optional<int> level = PrivilegeLevel(parser);
    // Typed at a prompt rather than given on the command line, where other users and the shell's
    // history see it.
    const QString password =
        parser.isSet("password")
            ? Required(parser, "password")
            : ReadSecretLine(QStringLiteral("Password of operator %1: ").arg(user));
    if (password.isEmpty()) {
        throw std::invalid_argument("no password was given on standard input");
    }
    Connection connection;
    OpenDatabase(connection, parser);
    const AdminAction action{"add-operator", user, {}};
    Out() << RunRecorded(connection, action, [&] {
        switch (AddOperator(connection, user, password, level, parser.isSet("replace"))) {
            case AddOutcome::Added:
                return QStringLiteral("Operator %1 added.").arg(user);
            case AddOutcome::AlreadyPresent:
                return QStringLiteral("Operator %1 is already there; nothing changed.").arg(user);
            case AddOutcome::Replaced:
                break;
        }
        return QStringLiteral("Operator %1 replaced.").arg(user);
    }) << '\n';
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
    const AdminAction action{"remove-operator", user, {}};
    Out() << RunRecorded(connection, action, [&] {
        if (!RemoveOperator(connection, user)) {
            throw std::runtime_error("there is no operator " + user.toStdString());
        }
        return QStringLiteral("Operator %1 removed.").arg(user);
    }) << '\n';
    return 0;
}

int CreateCentreCommand(const QCommandLineParser& parser) {
    RequireOnly(parser, {"connect", "database"});
    const QString database = DatabaseName(parser);
    CheckDatabaseName(database);
    Connection connection;
    OpenDatabase(connection, parser);
    if (connection.IsMariaDb()) {
        const QString clock = SessionClockWarning(connection);
        if (!clock.isEmpty()) {
            Out() << "Warning: " << clock << '\n';
        }
    }
    const AdminAction action{"create-centre", database, database};
    Out() << RunRecorded(
                 connection, action,
                 [&] {
                     CreateCentreDatabase(connection, database);
                     return QStringLiteral("The counting centre's database %1 is in place (%2).")
                         .arg(database, connection.DbmsName());
                 },
                 true)
          << '\n';
    return 0;
}

int AddStationCommand(const QCommandLineParser& parser) {
    RequireOnly(parser, {"connect", "database", "system-id", "host", "replace"});
    const StationAccount account = Account(parser);
    const QString database = DatabaseName(parser);
    CheckDatabaseName(database);
    Connection connection;
    OpenDatabase(connection, parser);
    QString password;
    const AdminAction action{"add-station", account.Quoted(), database};
    RunRecorded(connection, action, [&] {
        password = AddStationAccount(connection, database, account, parser.isSet("replace"));
        return QStringLiteral("Account %1 given a new password and what station %2 does.")
            .arg(account.Quoted())
            .arg(account.systemId);
    });
    Out() << "Account " << account.Quoted() << " may now do what station " << account.systemId
          << " does on " << database << ".\nIts password, shown only now, for write-dsn on the "
          << "station:\n"
          << password << '\n';
    return 0;
}

int RemoveStationCommand(const QCommandLineParser& parser) {
    RequireOnly(parser, {"connect", "database", "system-id", "host"});
    const StationAccount account = Account(parser);
    const QString database = DatabaseName(parser);
    CheckDatabaseName(database);
    Connection connection;
    OpenDatabase(connection, parser);
    const AdminAction action{"remove-station", account.Quoted(), database};
    Out() << RunRecorded(connection, action, [&] {
        if (!RemoveStationAccount(connection, account)) {
            throw std::runtime_error("there is no account " + account.Quoted().toStdString());
        }
        return QStringLiteral("Account %1 removed.").arg(account.Quoted());
    }) << '\n';
    return 0;
}

int HistoryCommand(const QCommandLineParser& parser) {
    RequireOnly(parser, {"connect", "system-id", "batch"});
    const qint16 systemId = Number(parser, "system-id");
    const qint16 batchNo = Number(parser, "batch");
    Connection connection;
    OpenDatabase(connection, parser);
    Out() << BatchHistory(connection, systemId, batchNo);
    return 0;
}
