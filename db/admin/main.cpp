// lindhollow-admin: sets up the counting-centre database and a station for installers.

#include <QCoreApplication>
#include <cstdio>
#include <map>

#include "LindhollowVersion.h"
#include "admin/AdminCommands.h"
#include "database/ConnectString.h"
#include "database/DatabaseError.h"

namespace {

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
    "  remove-station  [--connect CS] [--database NAME] --system-id N [--host PATTERN]\n"
    "  add-monitor     [--connect CS] [--database NAME] [--account NAME] [--host PATTERN]\n"
    "                  [--replace]\n"
    "                  create the centre monitor's MariaDB account (NAME defaults to monitor),\n"
    "                  which may only read the station, batch, image and anchor tables;\n"
    "                  prints its new password\n"
    "  add-backup-account [--connect CS] [--database NAME] [--account NAME] [--host PATTERN]\n"
    "                  [--replace]\n"
    "                  create the MariaDB account of lindhollow-backup (NAME defaults to\n"
    "                  backup, PATTERN to localhost): the server's backup rights and adding\n"
    "                  rows to Backups; prints its new password\n"
    "  add-operator    [--connect CS] --user ID [--privilege N] [--replace]\n"
    "                  the password is read from standard input (--password PW puts it on\n"
    "                  the command line instead)\n"
    "  list-operators  [--connect CS]\n"
    "  remove-operator [--connect CS] --user ID\n"
    "  write-dsn       --name NAME --sqlite FILE [--force]\n"
    "                  write a user ODBC data source for a SQLite database file\n"
    "  write-dsn       --name NAME --mariadb HOST [--port N] [--database NAME]\n"
    "                  --account NAME (--ssl-ca FILE | --insecure) [--force]\n"
    "                  write a user ODBC data source for the centre's MariaDB server; the\n"
    "                  password is read from standard input; --ssl-ca may be left out for\n"
    "                  localhost, the server's socket\n"
    "  write-settings  --system-id N --system-type N --intray DIR --scanner-ini FILE\n"
    "                  [--dsn CS] [--sql-connect CS] [--orla-host HOST] [--names-file FILE]\n"
    "                  [--election-type N] [--election-id N] [--ballot-size N]\n"
    "                  [--weighted BOOL] [--proportional BOOL] [--audit-log-file FILE]\n"
    "                  [--force]\n"
    "                  write the station settings file\n"
    "  check-station   [--user ID]          check this user's station set-up\n"
    "  history         [--connect CS] --system-id N --batch N\n"
    "                  every version of a batch's row and its image rows on a MariaDB centre\n"
    "  verify-log      FILE... [--connect CS [--system-id N]]\n"
    "                  check the hash chain, sequence and form of audit logs, and with\n"
    "                  --connect every anchor of their stations (or of station N) at the\n"
    "                  centre against them\n"
    "  show-log        FILE [--batch N] [--event NAME]\n"
    "                  print an audit log as a table\n"
    "  verify-images   --connect CS [--intray DIR] [--system-id N] [--batch N]\n"
    "                  check the centre's copies of the images of closed batches against\n"
    "                  their seals, and the seals against the batch seals their stations\n"
    "                  anchored; with --intray also the station's image files\n"
    "  export-batch    --connect CS (--system-id N --batch N | [--system-id N] --all-closed)\n"
    "                  --out DIR [--force]\n"
    "                  write the images of closed batches from the centre, each checked\n"
    "                  against its seal, as the station named them, with a manifest.csv\n"
    "                  per batch\n"
    "\n"
    "CS is an ODBC connect string; it defaults to \"DSN=Lindhollow;\".  NAME of --database\n"
    "defaults to lindhollow, PATTERN of --host to % (any host), N of --port to 3306.\n"
    "Nothing that exists is changed unless --replace or --force says so.\n"
    "--help prints this text and --version the release.\n";

// A message may quote a connect string, whose passwords are not for the screen.
QByteArray Printable(const std::exception& error) {
    return WithoutSecrets(QString::fromUtf8(error.what())).toUtf8();
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    QCommandLineParser parser;
    parser.addPositionalArgument("command", "what to do");
    for (const char* name :
         {"connect", "user", "password", "privilege", "name", "sqlite", "database", "host",
          "mariadb", "port", "account", "ssl-ca", "batch", "event", "out"}) {
        parser.addOption({name, name, "value"});
    }
    for (const SettingOption& setting : SettingOptions()) {
        parser.addOption({setting.option, setting.option, "value"});
    }
    for (const char* flag : {"replace", "force", "insecure", "all-closed"}) {
        parser.addOption({flag, flag});
    }
    parser.addOption({{"h", "help"}, "show this help"});
    parser.addOption({"version", "show the release"});

    const std::map<QString, int (*)(const QCommandLineParser&)> commands = {
        {"create-schema", CreateSchemaCommand},
        {"add-operator", AddOperatorCommand},
        {"list-operators", ListOperatorsCommand},
        {"remove-operator", RemoveOperatorCommand},
        {"write-dsn", WriteDsnCommand},
        {"write-settings", WriteSettingsCommand},
        {"create-centre", CreateCentreCommand},
        {"add-station", AddStationCommand},
        {"remove-station", RemoveStationCommand},
        {"check-station", CheckStationCommand},
        {"verify-log", VerifyLogCommand},
        {"show-log", ShowLogCommand},
        {"history", HistoryCommand},
        {"add-monitor", AddMonitorCommand},
        {"add-backup-account", AddBackupCommand},
        {"verify-images", VerifyImagesCommand},
        {"export-batch", ExportBatchCommand},
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
        std::fprintf(stderr, "lindhollow-admin: %s\n\n%s", Printable(error).constData(), kUsage);
        return 2;
    } catch (const DatabaseError& error) {
        std::fprintf(stderr, "lindhollow-admin: database error: %s\n",
                     Printable(error).constData());
        return 1;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "lindhollow-admin: %s\n", Printable(error).constData());
        return 1;
    }
}
