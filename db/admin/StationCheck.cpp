#include "StationCheck.h"

#include <QFileInfo>
#include <QObject>
#include <QRegularExpression>
#include <QVariant>

#include "admin/CentreDatabase.h"
#include "admin/StationAccounts.h"
#include "admin/UserDataSource.h"
#include "audit/AuditLog.h"
#include "database/ConnectString.h"
#include "database/Connection.h"
#include "database/DatabaseError.h"
#include "database/Recordset.h"
#include "scanner/EndorserCheck.h"
#include "settings/LoadStationSettings.h"
#include "settings/StationSettings.h"
#include "settings/StationSettingsStore.h"

namespace {

// MariaDB's error numbers that a station's set-up can run into.
enum MariaDbError {
    AccessToDatabaseDenied = 1044,
    PasswordRefused = 1045,
    UnknownDatabase = 1049,
    StatementDenied = 1142,
    NoSuchTable = 1146,
    // Raised for the columns that an insert leaves out, once it has been allowed.
    NoDefaultForField = 1364,
    CannotConnect = 2002,
    CannotConnectByTcp = 2003,
    UnknownHost = 2005,
    ServerGone = 2006,
    ConnectionLost = 2013,
    TlsFailed = 2026,
};

// station3@% as a GRANT statement writes it: 'station3'@'%'.
QString QuotedAccount(const QString& account) {
    const qsizetype at = account.lastIndexOf(u'@');
    return QStringLiteral("'%1'@'%2'").arg(account.left(at), account.mid(at + 1));
}

class Checker {
  public:
    explicit Checker(QList<Finding>& findings) : findings_(findings) {}
    void Fine(const QString& text) { findings_.append({Finding::Kind::Fine, text}); }
    void Warning(const QString& text) { findings_.append({Finding::Kind::Warning, text}); }
    void Problem(const QString& text) { findings_.append({Finding::Kind::Problem, text}); }

    void Settings(const StationSettings& settings) {
        const QString file = OpenStationSettingsStore()->fileName();
        if (!QFileInfo::exists(file)) {
            Problem(QStringLiteral("There is no settings file %1.  Write it with "
                                   "lindhollow-admin write-settings.")
                        .arg(file));
            return;
        }
        const int systemId = settings.SYSTEM_ID;
        if (systemId == 0) {
            Problem(QStringLiteral("The settings file %1 gives no station number (SYSTEM_ID).")
                        .arg(file));
        } else {
            Fine(QStringLiteral("Station %1, settings in %2.").arg(systemId).arg(file));
        }
        const QFileInfo intray(settings.INTRAY);
        if (!intray.isDir() || !intray.isWritable()) {
            Problem(QStringLiteral("The in-tray folder %1 (INTRAY) does not exist or cannot be "
                                   "written.")
                        .arg(intray.filePath()));
        }
    }

    // The station goes on without its audit log, so a log it cannot write is found here, before
    // counting night, rather than by the operator.
    void AuditLogFile() {
        const QString configured = ConfiguredAuditLogFile();
        const QString file = configured.isEmpty() ? AuditLog::DefaultPath() : configured;
        // A log not yet there is made, with its missing folders, below the nearest folder that is.
        const QFileInfo log(file);
        QFileInfo folder(log.path());
        while (!folder.exists() && folder.filePath() != folder.path()) {
            folder = QFileInfo(folder.path());
        }
        const bool writable =
            log.exists() ? log.isWritable() && !log.isDir() : folder.isDir() && folder.isWritable();
        if (writable) {
            Fine(QStringLiteral("The audit log %1 can be written.").arg(file));
        } else {
            Problem(QStringLiteral("The audit log %1 cannot be written (AUDIT_LOG_FILE in section "
                                   "[SystemSettings] names another file).")
                        .arg(file));
        }
    }

    // Told, never a problem: the scanner may be switched off, or held by the running station,
    // while the set-up is checked.
    void Endorser(const StationSettings& settings) { Fine(DescribeEndorser(settings.SCANNER_INI)); }

    // `setting` names the connect string, for the operator.
    void Database(const QString& setting, const QString& connectString, const QString& operatorId,
                  qint16 systemId) {
        const QString named = QStringLiteral("%1 (%2)").arg(setting, WithoutSecrets(connectString));
        Connection connection;
        try {
            connection.Open(connectString);
        } catch (const DatabaseError& error) {
            Problem(ConnectProblem(named, connectString, error));
            return;
        }
        if (connection.IsMariaDb()) {
            Describe(connection, named);
            Encryption(connection, named);
            AccountOfStation(connection, named, systemId);
            const QString clock = SessionClockWarning(connection);
            if (!clock.isEmpty()) {
                Warning(named + QStringLiteral(": ") + clock);
            }
            try {
                RequireCaseInsensitiveTableNames(connection);
            } catch (const DatabaseError& error) {
                Problem(error.message());
            }
        } else {
            Fine(QStringLiteral("%1 reaches %2.").arg(named, connection.DbmsName()));
        }
        for (const TablePrivileges& table : StationPrivileges()) {
            Table(connection, table);
        }
        Operators(connection, operatorId);
    }

  private:
    static QString ConnectProblem(const QString& named, const QString& connectString,
                                  const DatabaseError& error) {
        const QString source = ParseConnectString(connectString).databaseName;
        const QString cannot = QStringLiteral("%1 cannot connect: %2").arg(named, error.message());
        switch (error.nativeCode()) {
            case CannotConnect:
            case CannotConnectByTcp:
            case UnknownHost:
            case ServerGone:
            case ConnectionLost:
                return cannot + QStringLiteral(
                                    "\nThe database server cannot be reached.  Check that it "
                                    "runs, that SERVER and PORT of data source %1 name it, "
                                    "that it listens on the network (bind-address) and that "
                                    "no firewall blocks the port.")
                                    .arg(source);
            case PasswordRefused:
                return cannot +
                       QStringLiteral(
                           "\nThe server refused the account or its password.  PASSWORD of "
                           "data source %1 must be the one that lindhollow-admin add-station "
                           "printed, and the account must be allowed from this computer.")
                           .arg(source) +
                       (DataSourceAttribute(source, "SSLCA").isEmpty()
                            ? QStringLiteral("  A server that requires encrypted connections "
                                             "refuses the same way a data source without "
                                             "TLS settings, as this one is: write it again "
                                             "with --ssl-ca.")
                            : QString());
            case AccessToDatabaseDenied:
            case UnknownDatabase:
                return cannot + QStringLiteral(
                                    "\nThe database that DATABASE of data source %1 names does "
                                    "not exist on the server, or the account may not use it.")
                                    .arg(source);
            case TlsFailed:
                return cannot +
                       QStringLiteral(
                           "\nThe encrypted connection failed.  The station trusts only a "
                           "server whose certificate was signed by the authority in SSLCA of "
                           "data source %1 (%2) and names the server as SERVER does.")
                           .arg(source, DataSourceAttribute(source, "SSLCA"));
        }
        if (error.message().contains(u"Data source name not found")) {
            return cannot + QStringLiteral(
                                "\nThere is no ODBC data source %1 in %2.  Write it "
                                "with lindhollow-admin write-dsn.")
                                .arg(source, UserDataSourceFile());
        }
        return cannot;
    }

    static QString Value(Connection& connection, const QString& query) {
        Recordset row;
        row.Open(query, connection);
        return row.Eof() ? QString() : row.Fields(QStringLiteral("v")).Value().toString();
    }

    // The session's TLS version; empty when it is not encrypted.
    static QString TlsVersion(Connection& connection) {
        return Value(connection, QStringLiteral("SELECT VARIABLE_VALUE AS v FROM "
                                                "information_schema.SESSION_STATUS WHERE "
                                                "VARIABLE_NAME = 'Ssl_version'"));
    }

    void Describe(Connection& connection, const QString& named) {
        const QString tls = TlsVersion(connection);
        Fine(QStringLiteral("%1 reaches database %2 on MariaDB %3 as %4, %5.")
                 .arg(named, Value(connection, QStringLiteral("SELECT DATABASE() AS v")),
                      Value(connection, QStringLiteral("SELECT VERSION() AS v")),
                      Value(connection, QStringLiteral("SELECT CURRENT_USER() AS v")),
                      tls.isEmpty() ? QStringLiteral("not encrypted")
                                    : QStringLiteral("encrypted (%1)").arg(tls)));
    }

    // A station's batches and its password cross the network only encrypted; the server's own
    // socket keeps them on the machine.
    void Encryption(Connection& connection, const QString& named) {
        const QString tls = TlsVersion(connection);
        const QString host = Value(connection, QStringLiteral("SELECT HOST AS v FROM "
                                                              "information_schema.PROCESSLIST "
                                                              "WHERE ID = CONNECTION_ID()"));
        if (tls.isEmpty() && host != u"localhost") {
            Problem(QStringLiteral("%1 is not encrypted: whoever is on the network between the "
                                   "station and the server can read and change what passes, "
                                   "the account's password included.  Write the data source "
                                   "again with lindhollow-admin write-dsn --ssl-ca and the "
                                   "certificate of the centre's authority.")
                        .arg(named));
        }
    }

    // The centre refuses an account stationN every change to rows of another station, so a
    // station numbered otherwise could not store a batch.
    void AccountOfStation(Connection& connection, const QString& named, qint16 systemId) {
        static const QRegularExpression stationAccount(QStringLiteral("^station([0-9]+)@"));
        const QRegularExpressionMatch match =
            stationAccount.match(Value(connection, QStringLiteral("SELECT CURRENT_USER() AS v")));
        if (match.hasMatch() && match.captured(1).toInt() != systemId) {
            Problem(QStringLiteral("%1 logs in as the account of station %2, but this station's "
                                   "number (SYSTEM_ID) is %3: the centre would refuse it every "
                                   "change of a batch.  Give the station its own account "
                                   "(lindhollow-admin add-station --system-id %3, then "
                                   "write-dsn), or its right number.")
                        .arg(named, match.captured(1))
                        .arg(systemId));
        }
    }

    // Each privilege is tried with a statement that touches no row.
    void Table(Connection& connection, const TablePrivileges& table) {
        for (const QString& privilege : table.privileges) {
            const QString statement =
                privilege == u"SELECT" ? QStringLiteral("SELECT * FROM %1 WHERE 1 = 0")
                // Without reading the table, which an account may insert into only.
                : privilege == u"INSERT" ? QStringLiteral(
                                               "INSERT INTO %1 (SystemID) SELECT 0 FROM "
                                               "(SELECT 1) AS n WHERE 1 = 0")
                : privilege == u"UPDATE" ? QStringLiteral(
                                               "UPDATE %1 SET SystemID = SystemID "
                                               "WHERE 1 = 0")
                                         : QStringLiteral("DELETE FROM %1 WHERE 1 = 0");
            try {
                Recordset rows;
                if (privilege == u"SELECT") {
                    rows.Open(statement.arg(table.table), connection);
                } else {
                    connection.Execute(statement.arg(table.table));
                }
            } catch (const DatabaseError& error) {
                if (error.nativeCode() == NoDefaultForField) {
                    continue;
                }
                if (error.nativeCode() == NoSuchTable ||
                    error.message().contains(u"no such table")) {
                    Problem(QStringLiteral("The table %1 is missing.  On the centre: "
                                           "lindhollow-admin create-centre (or create-schema).")
                                .arg(table.table));
                    return;
                }
                if (error.nativeCode() == StatementDenied) {
                    Problem(
                        QStringLiteral("The account may not %1 rows of %2, which the station "
                                       "does.  On the centre: GRANT %1 ON %3.%2 TO %4;")
                            .arg(privilege, table.table,
                                 Value(connection, QStringLiteral("SELECT DATABASE() AS v")),
                                 QuotedAccount(Value(
                                     connection, QStringLiteral("SELECT CURRENT_USER() AS v")))));
                } else {
                    Problem(QStringLiteral("%1 on %2 fails: %3")
                                .arg(privilege, table.table, error.message()));
                }
            }
        }
    }

    // The login fails without a word for an operator whose privilege level is empty.
    void Operators(Connection& connection, const QString& operatorId) {
        const QString canLogIn =
            QStringLiteral("SELECT COUNT(*) AS v FROM Users WHERE PrivilegeLevel IS NOT NULL");
        const QString fix = QStringLiteral(
            "  Add one with lindhollow-admin add-operator --privilege N (--replace to mend it).");
        try {
            if (operatorId.isEmpty()) {
                if (Value(connection, canLogIn) == u"0") {
                    Problem(QStringLiteral("No operator can log in: the table Users holds none "
                                           "with a privilege level.") +
                            fix);
                }
                return;
            }
            const QString quoted = QString(operatorId).replace(u'\'', QStringLiteral("''"));
            if (Value(connection, canLogIn + QStringLiteral(" AND UserID = '%1'").arg(quoted)) !=
                u"0") {
                return;
            }
            const bool present =
                Value(connection,
                      QStringLiteral("SELECT COUNT(*) AS v FROM Users WHERE UserID = '%1'")
                          .arg(quoted)) != u"0";
            Problem((present ? QStringLiteral("The operator %1 has no privilege level and cannot "
                                              "log in.")
                             : QStringLiteral("There is no operator %1 in the table Users."))
                        .arg(operatorId) +
                    fix);
        } catch (const DatabaseError&) {
            // The table's own problem is reported already.
        }
    }

    QList<Finding>& findings_;
};

}  // namespace

QList<Finding> CheckStation(const QString& operatorId) {
    QList<Finding> findings;
    Checker checker(findings);
    StationSettings settings;
    LoadStationSettings(settings);
    checker.Settings(settings);
    checker.AuditLogFile();
    checker.Endorser(settings);
    const QString& dsn = settings.DSNCONNECTSTR;
    const QString& sql = settings.SQLCONNECTSTR;
    checker.Database(QStringLiteral("DSNCONNECTSTR"), dsn, operatorId, settings.SYSTEM_ID);
    if (sql != dsn) {
        checker.Database(QStringLiteral("SQLCONNECTSTR"), sql, operatorId, settings.SYSTEM_ID);
    }
    return findings;
}
