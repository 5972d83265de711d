// lindhollow-admin's commands on a station: its data source, its settings file and the check of
// its set-up.

#include <QDir>
#include <QFile>

#include "admin/AdminCommands.h"
#include "admin/CentreDatabase.h"
#include "admin/SecretInput.h"
#include "admin/StationCheck.h"
#include "admin/StationSettingsFile.h"
#include "admin/UserDataSource.h"
#include "settings/SettingConversions.h"

namespace {

bool AnyText(const QString&) {
    return true;
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
    // Through the server's own socket nothing crosses the network; otherwise the station's
    // batches and its account's password would, readable and changeable on the way.
    const bool localSocket = source.server == u"localhost";
    if (source.certificateAuthority.isEmpty() && !localSocket && !parser.isSet("insecure")) {
        throw UsageError(
            "--ssl-ca is required: the certificate of the centre's authority, so that the "
            "station connects only encrypted and only to the centre's server (--insecure "
            "writes a data source without encryption)");
    }
    if (!source.certificateAuthority.isEmpty() && parser.isSet("insecure")) {
        throw UsageError("--ssl-ca and --insecure contradict each other");
    }
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

}  // namespace

const std::vector<SettingOption>& SettingOptions() {
    static const std::vector<SettingOption> options = {
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
        {"audit-log-file", "SystemSettings/AUDIT_LOG_FILE", false, AnyText, ""},
    };
    return options;
}

int WriteDsnCommand(const QCommandLineParser& parser) {
    const QString name = Required(parser, "name");
    WriteOutcome outcome;
    if (parser.isSet("mariadb")) {
        RequireOnly(parser, {"name", "mariadb", "port", "database", "account", "ssl-ca", "insecure",
                             "force"});
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
        const bool problem = finding.kind == Finding::Kind::Problem;
        Out() << (problem                                  ? "PROBLEM: "
                  : finding.kind == Finding::Kind::Warning ? "WARNING: "
                                                           : "ok: ")
              << finding.text << '\n';
        problems += problem ? 1 : 0;
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
    for (const SettingOption& setting : SettingOptions()) {
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
        } else if (option == u"scanner-ini" || option == u"audit-log-file") {
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
