// lindhollow-admin: sets up the counting-centre database and a station for installers.

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTextStream>
#include <cstdio>
#include <functional>
#include <map>
#include <stdexcept>

#include "LindhollowVersion.h"
#include "admin/AuditLogTable.h"
#include "admin/CentreDatabase.h"
#include "admin/Operators.h"
#include "admin/Schema.h"
#include "admin/SecretInput.h"
#include "admin/StationAccounts.h"
#include "admin/StationCheck.h"
#include "admin/StationSettingsFile.h"
#include "admin/UserDataSource.h"
#include "audit/AuditLogFile.h"
#include "database/Connection.h"
#include "database/DatabaseError.h"
#include "shell/SettingConversions.h"

namespace {

// Bad command lines exit with 2, failures with 1.
struct UsageError : std::invalid_argument {
    using std::invalid_argument::invalid_argument;
};

QTextStream& Out() {
    static QTextStream out(stdout);
    return out;
}

const char* const kUsage =
    "Usage: lindhollow-admin COMMAND [OPTIONS]\n"
    "\n"
    "Commands:\n"
    "  create-schema   [--connect CS]       create the missing tables and indexes\n"
    "  create-centre   [--connect CS] [--database NAME]\n"
    "                  create the counting centre's database on a MariaDB server, and its\n"
    "                  missing tables and indexes\n"
    "  add-station     [--connect CS] [--database NAME] --system-id N [--host PATTERN]\n"
    "                  [--replace]\n"
    "                  create the station's MariaDB account with what the station needs;\n"
    "                  prints its new password\n"
    "  remove-station  [--connect CS] --system-id N [--host PATTERN]\n"
    "  add-operator    [--connect CS] --user ID --password PW [--privilege N] [--replace]\n"
    "  list-operators  [--connect CS]\n"
    "  remove-operator [--connect CS] --user ID\n"
    "  write-dsn       --name NAME --sqlite FILE [--force]\n"
    "                  write a user ODBC data source for a SQLite database file\n"
    "  write-dsn       --name NAME --mariadb HOST [--port N] [--database NAME]\n"
    "                  --account NAME [--ssl-ca FILE] [--force]\n"
    "                  write a user ODBC data source for the centre's MariaDB server; the\n"
    "                  password is read from standard input\n"
    "  write-settings  --system-id N --system-type N --intray DIR --scanner-ini FILE\n"
    "                  [--dsn CS] [--sql-connect CS] [--orla-host HOST] [--names-file FILE]\n"
    "                  [--election-type N] [--election-id N] [--ballot-size N]\n"
    "                  [--weighted BOOL] [--proportional BOOL] [--force]\n"
    "                  write the station settings file\n"
    "  check-station   [--user ID]          check this user's station set-up\n"
    "  verify-log      FILE...              check the hash chain and sequence of audit logs\n"
    "  show-log        FILE [--batch N] [--event NAME]\n"
    "                  print an audit log as a table\n"
    "\n"
    "CS is an ODBC connect string; it defaults to \"DSN=Lindhollow;\".  NAME of --database\n"
    "defaults to lindhollow, PATTERN of --host to % (any host), N of --port to 3306.\n"
    "Nothing that exists is changed unless --replace or --force says so.\n"
    "--help prints this text and --version the release.\n";

struct Settings {
    const char* option;
    const char* key;
    bool required;
    std::function<bool(const QString&)> valid;
    const char* expected;
};

bool AnyText(const QString&) {
    return true;
}

const std::vector<Settings>& SettingOptions() {
    static const std::vector<Settings> options = {
        {"dsn", "ElectionSettings/DSNCONNECTSTR", false, AnyText, ""},
        {"sql-connect", "ElectionSettings/SQLCONNECTSTR", false, AnyText, ""},
        {"orla-host", "ElectionSettings/ORLAHOST", false, AnyText, ""},
        {"intray", "ElectionSettings/INTRAY", true, AnyText, ""},
        {"names-file", "ElectionSettings/NAMES_FILENAME", false, AnyText, ""},
        {"election-type", "ElectionSettings/ELECTION_TYPE", false,
         [](const QString& t) { return TextToUnsigned8(t).has_value(); }, "a number from 0 to 255"},
        {"election-id", "ElectionSettings/ELECTION_ID", false,
         [](const QString& t) { return TextToSigned16(t).has_value(); },
         "a number from -32768 to 32767"},
        {"ballot-size", "ElectionSettings/BALLOTSIZE", false,
         [](const QString& t) { return TextToUnsigned8(t).has_value(); },
         "a ballot length in inches from 0 to 255"},
        {"weighted", "ElectionSettings/WEIGHTED_ELECTION", false,
         [](const QString& t) { return TextToBoolean(t).has_value(); }, "True, False or a number"},
        {"proportional", "ElectionSettings/PROPORTIONAL_VOTING", false,
         [](const QString& t) { return TextToBoolean(t).has_value(); }, "True, False or a number"},
        // The image serial joins the station number, three batch digits and five
        // sequence digits; from station 21 on it no longer fits 32 bits.
        {"system-id", "SystemSettings/SYSTEM_ID", true,
         [](const QString& t) {
             const auto id = TextToSigned16(t);
             return id && *id >= 1 && *id <= 20 && t.trimmed() == QString::number(*id);
         },
         "a whole station number from 1 to 20"},
        {"system-type", "SystemSettings/SYSTEM_TYPE", true,
         [](const QString& t) { return TextToSigned16(t).has_value(); },
         "a number from -32768 to 32767"},
        {"scanner-ini", "SystemSettings/SCANNER_INI", true, AnyText, ""},
    };
    return options;
}

void RequireOnly(const QCommandLineParser& parser, const QStringList& allowed) {
    for (const QString& name : parser.optionNames()) {
        if (!allowed.contains(name)) {
            throw UsageError("--" + name.toStdString() + " does not belong to this command");
        }
    }
}

QString Required(const QCommandLineParser& parser, const QString& name) {
    if (!parser.isSet(name) || parser.value(name).isEmpty()) {
        throw UsageError("--" + name.toStdString() + " is required");
    }
    return parser.value(name);
}

void OpenDatabase(Connection& connection, const QCommandLineParser& parser) {
    connection.Open(parser.isSet("connect") ? parser.value("connect")
                                            : QStringLiteral("DSN=Lindhollow;"));
}

int CreateSchemaCommand(const QCommandLineParser& parser) {
    RequireOnly(parser, {"connect"});
    Connection connection;
    OpenDatabase(connection, parser);
    CreateSchema(connection);
    Out() << "The schema is in place (" << connection.DbmsName() << ").\n";
    return 0;
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

QString DatabaseName(const QCommandLineParser& parser) {
    return parser.isSet("database") ? parser.value("database") : QStringLiteral("lindhollow");
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

// The station whose account --system-id and --host name.
StationAccount Account(const QCommandLineParser& parser) {
    const QString systemId = Required(parser, "system-id");
    for (const Settings& setting : SettingOptions()) {
        if (qstrcmp(setting.option, "system-id") == 0 && !setting.valid(systemId)) {
            throw UsageError("--system-id must be " + std::string(setting.expected) + ", not \"" +
                             systemId.toStdString() + "\"");
        }
    }
    return {qint16(systemId.toShort()),
            parser.isSet("host") ? parser.value("host") : QStringLiteral("%")};
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

WriteOutcome WriteMariaDbDsn(const QCommandLineParser& parser, const QString& name) {
    MariaDbDataSource source;
    source.server = Required(parser, "mariadb");
    if (parser.isSet("port")) {
        bool ok = false;
        source.port = parser.value("port").toInt(&ok);
        if (!ok || source.port < 1 || source.port > 65535) {
            throw UsageError("--port must be a port number from 1 to 65535");
        }
    }
    source.database = DatabaseName(parser);
    CheckDatabaseName(source.database);
    source.account = Required(parser, "account");
    source.certificateAuthority = parser.value("ssl-ca");
    if (!source.certificateAuthority.isEmpty() && !QFile::exists(source.certificateAuthority)) {
        throw std::invalid_argument("there is no certificate file " +
                                    source.certificateAuthority.toStdString());
    }
    source.password = ReadSecretLine(QStringLiteral("Password of %1: ").arg(source.account));
    if (source.password.isEmpty()) {
        throw std::invalid_argument("no password was given on standard input");
    }
    return WriteMariaDbDataSource(name, source, parser.isSet("force"));
}

int WriteDsnCommand(const QCommandLineParser& parser) {
    const QString name = Required(parser, "name");
    WriteOutcome outcome;
    if (parser.isSet("mariadb")) {
        RequireOnly(parser, {"name", "mariadb", "port", "database", "account", "ssl-ca", "force"});
        outcome = WriteMariaDbDsn(parser, name);
    } else {
        RequireOnly(parser, {"name", "sqlite", "force"});
        outcome = WriteSqliteDataSource(name, Required(parser, "sqlite"), parser.isSet("force"));
    }
    Out() << "Data source " << name
          << (outcome == WriteOutcome::Written ? " written to " : " unchanged in ")
          << UserDataSourceFile() << ".\n";
    return 0;
}

int CheckStationCommand(const QCommandLineParser& parser) {
    RequireOnly(parser, {"user"});
    int problems = 0;
    for (const Finding& finding : CheckStation(parser.value("user"))) {
        Out() << (finding.problem ? "PROBLEM: " : "ok: ") << finding.text << '\n';
        problems += finding.problem ? 1 : 0;
    }
    if (problems > 0) {
        Out() << problems << (problems == 1 ? " problem" : " problems")
              << " to mend before the station can scan.\n";
        return 1;
    }
    Out() << "The station is ready to scan.\n";
    return 0;
}

int WriteSettingsCommand(const QCommandLineParser& parser) {
    QStringList allowed{"force"};
    QList<SettingValue> values;
    for (const Settings& setting : SettingOptions()) {
        const QString option = QString::fromLatin1(setting.option);
        allowed << option;
        if (!parser.isSet(option)) {
            if (setting.required) {
                throw UsageError("--" + std::string(setting.option) + " is required");
            }
            continue;
        }
        QString value = parser.value(option);
        if (!setting.valid(value)) {
            throw UsageError("--" + std::string(setting.option) + " must be " + setting.expected +
                             ", not \"" + value.toStdString() + "\"");
        }
        if (option == u"intray") {
            // The station appends file names to the in-tray folder directly.
            value = QDir(value).absolutePath() + u'/';
        } else if (option == u"scanner-ini") {
            value = QDir(value).absolutePath();
        }
        values.append({QString::fromLatin1(setting.key), value});
    }
    RequireOnly(parser, allowed);
    const WriteOutcome outcome = WriteStationSettings(values, parser.isSet("force"));
    Out() << "Station settings "
          << (outcome == WriteOutcome::Written ? "written to " : "unchanged in ")
          << StationSettingsFile() << ".\n";
    return 0;
}

int VerifyLogCommand(const QCommandLineParser& parser) {
    RequireOnly(parser, {});
    const QStringList files = parser.positionalArguments().mid(1);
    if (files.isEmpty()) {
        throw UsageError("verify-log needs at least one FILE");
    }
    int status = 0;
    for (const QString& file : files) {
        const audit::Verification result = audit::VerifyAuditLog(file);
        if (result.brokenLine == 0) {
            Out() << file << ": " << result.verified << " records verified.\n";
        } else {
            Out() << file << ": line " << result.brokenLine << ": " << result.problem << " ("
                  << result.verified << " records before it verified).\n";
            status = 1;
        }
    }
    return status;
}

int ShowLogCommand(const QCommandLineParser& parser) {
    RequireOnly(parser, {"batch", "event"});
    const QStringList files = parser.positionalArguments().mid(1);
    if (files.size() != 1) {
        throw UsageError("show-log needs exactly one FILE");
    }
    std::optional<int> batch;
    if (parser.isSet("batch")) {
        bool ok = false;
        batch = parser.value("batch").toInt(&ok);
        if (!ok) {
            throw UsageError("--batch must be a whole number");
        }
    }
    Out() << AuditLogTable(audit::ReadAuditLog(files.front()), batch, parser.value("event"));
    return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    QCommandLineParser parser;
    parser.addPositionalArgument("command", "what to do");
    for (const char* name :
         {"connect", "user", "password", "privilege", "name", "sqlite", "database", "host",
          "mariadb", "port", "account", "ssl-ca", "batch", "event"}) {
        parser.addOption({name, name, "value"});
    }
    for (const Settings& setting : SettingOptions()) {
        parser.addOption({setting.option, setting.option, "value"});
    }
    for (const char* flag : {"replace", "force"}) {
        parser.addOption({flag, flag});
    }
    parser.addOption({{"h", "help"}, "show this help"});
    parser.addOption({"version", "show the release"});

    const std::map<QString, int (*)(const QCommandLineParser&)> commands = {
        {"create-schema", CreateSchemaCommand},   {"add-operator", AddOperatorCommand},
        {"list-operators", ListOperatorsCommand}, {"remove-operator", RemoveOperatorCommand},
        {"write-dsn", WriteDsnCommand},           {"write-settings", WriteSettingsCommand},
        {"create-centre", CreateCentreCommand},   {"add-station", AddStationCommand},
        {"remove-station", RemoveStationCommand}, {"check-station", CheckStationCommand},
        {"verify-log", VerifyLogCommand},         {"show-log", ShowLogCommand},
    };
    const QStringList fileCommands = {"verify-log", "show-log"};
    try {
        if (!parser.parse(application.arguments())) {
            throw UsageError(parser.errorText().toStdString());
        }
        if (parser.isSet("help")) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (parser.isSet("version")) {
            std::printf("lindhollow-admin %s\n", LINDHOLLOW_VERSION);
            return 0;
        }
        const QStringList positional = parser.positionalArguments();
        if (positional.isEmpty() || !commands.contains(positional.front()) ||
            (positional.size() > 1 && !fileCommands.contains(positional.front()))) {
            throw UsageError(positional.isEmpty()
                                 ? "no command given"
                                 : "unknown command line: " + positional.join(' ').toStdString());
        }
        return commands.at(positional.front())(parser);
    } catch (const UsageError& error) {
        std::fprintf(stderr, "lindhollow-admin: %s\n\n%s", error.what(), kUsage);
        return 2;
    } catch (const DatabaseError& error) {
        std::fprintf(stderr, "lindhollow-admin: database error: %s\n", error.what());
        return 1;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "lindhollow-admin: %s\n", error.what());
        return 1;
    }
}
