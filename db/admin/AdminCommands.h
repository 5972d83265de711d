#pragma once

// The commands of lindhollow-admin and what they share: each takes the parsed command line and
// returns the program's exit status.

#include <QCommandLineParser>
#include <QString>
#include <QStringList>
#include <QTextStream>
#include <functional>
#include <optional>
#include <stdexcept>
#include <vector>

class Connection;

// Bad command lines exit with 2, failures with 1.
struct UsageError : std::invalid_argument {
    using std::invalid_argument::invalid_argument;
};

QTextStream& Out();
// Refuses an option that does not belong to the command.
void RequireOnly(const QCommandLineParser& parser, const QStringList& allowed);
QString Required(const QCommandLineParser& parser, const QString& name);
// The option's whole number; nothing when it is not given.
std::optional<int> WholeNumber(const QCommandLineParser& parser, const QString& name);
// The option's value, or `fallback` when it is not given.
QString ValueOr(const QCommandLineParser& parser, const QString& name, const QString& fallback);
// --database, or the centre's default name.
QString DatabaseName(const QCommandLineParser& parser);
// Opens the connection on --connect, or on the centre's data source.
void OpenDatabase(Connection& connection, const QCommandLineParser& parser);

// The server account that add-monitor and add-backup-account create: --account, or `name`, from
// --host, or `host`, with rights in --database.
struct ServerAccountOptions {
    QString database;
    QString name;
    QString host;
    QString quoted;  // 'name'@'host', as GRANT writes it
};
// Refuses any option but --connect, --database, --host, --account and --replace.
ServerAccountOptions ServerAccountOf(const QCommandLineParser& parser, const QString& name,
                                     const QString& host);

// A value of the station settings file that write-settings takes as an option.
struct SettingOption {
    const char* option;
    const char* key;
    bool required;
    std::function<bool(const QString&)> valid;
    const char* expected;
};
const std::vector<SettingOption>& SettingOptions();

// On the centre's database: create-schema, the operators, create-centre and the station accounts.
int CreateSchemaCommand(const QCommandLineParser& parser);
int AddOperatorCommand(const QCommandLineParser& parser);
int ListOperatorsCommand(const QCommandLineParser& parser);
int RemoveOperatorCommand(const QCommandLineParser& parser);
int CreateCentreCommand(const QCommandLineParser& parser);
int AddStationCommand(const QCommandLineParser& parser);
int RemoveStationCommand(const QCommandLineParser& parser);
// Every version of a batch's rows on a MariaDB centre.
int HistoryCommand(const QCommandLineParser& parser);
// The centre monitor's account, which only reads.
int AddMonitorCommand(const QCommandLineParser& parser);
// The account of lindhollow-backup: the server's backup rights and adding rows to Backups.
int AddBackupCommand(const QCommandLineParser& parser);

// On a station: its data source, its settings file and the check of its set-up.
int WriteDsnCommand(const QCommandLineParser& parser);
int WriteSettingsCommand(const QCommandLineParser& parser);
int CheckStationCommand(const QCommandLineParser& parser);

// On audit logs.
int VerifyLogCommand(const QCommandLineParser& parser);
int ShowLogCommand(const QCommandLineParser& parser);

// On the stored images of closed batches and their seals in the centre.
int VerifyImagesCommand(const QCommandLineParser& parser);
// The images of closed batches from the centre into folders, for a recount.
int ExportBatchCommand(const QCommandLineParser& parser);
