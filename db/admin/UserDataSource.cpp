#include "admin/UserDataSource.h"

#include <fcntl.h>
#include <odbcinst.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QPair>
#include <stdexcept>

namespace {

const char* const kOdbcIni = "odbc.ini";

// The ODBC drivers as Debian's libsqliteodbc and odbc-mariadb register them.
const char* const kSqliteDriver = "SQLite3";
const char* const kMariaDbDriver = "MariaDB Unicode";

using Attributes = QList<QPair<const char*, QString>>;

void Write(const QString& section, const char* key, const QString& value) {
    if (!SQLWritePrivateProfileString(section.toUtf8().constData(), key, value.toUtf8().constData(),
                                      kOdbcIni)) {
        throw std::runtime_error("cannot write the ODBC data source " + section.toStdString());
    }
}

// Creates the file readable and writable by its owner alone, or takes those rights from everyone
// else when it exists; unixODBC rewrites it in place, which keeps them.
void MakeOwnerOnly(const QString& path) {
    const int file = open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_CLOEXEC,
                          S_IRUSR | S_IWUSR);
    const bool done = file >= 0 && fchmod(file, S_IRUSR | S_IWUSR) == 0;
    if (file >= 0) {
        close(file);
    }
    if (!done) {
        throw std::runtime_error("cannot make " + path.toStdString() +
                                 " readable by its owner alone");
    }
}

// The names of the data source's attributes, in upper case.
QStringList AttributeNames(const QString& name) {
    char names[4096] = {};
    const int length = SQLGetPrivateProfileString(name.toUtf8().constData(), nullptr, "", names,
                                                  sizeof names, kOdbcIni);
    QStringList found;
    for (const QByteArray& key : QByteArray(names, qMax(length, 0)).split('\0')) {
        if (!key.isEmpty()) {
            found << QString::fromUtf8(key).toUpper();
        }
    }
    found.sort();
    return found;
}

// Writes the data source unless it already says the same; `described` names what an existing
// one that differs holds, for the refusal.
WriteOutcome WriteDataSource(const QString& name, const char* driver, const Attributes& attributes,
                             const char* described, bool force) {
    SQLSetConfigMode(ODBC_USER_DSN);
    if (!DataSourceAttribute(name, "Driver").isEmpty()) {
        bool same = DataSourceAttribute(name, "Driver") == QString::fromLatin1(driver);
        QStringList names = {QStringLiteral("DRIVER")};
        for (const auto& [key, value] : attributes) {
            same = same && DataSourceAttribute(name, key) == value;
            names << QString::fromLatin1(key).toUpper();
        }
        names.sort();
        same = same && AttributeNames(name) == names;
        if (same) {
            return WriteOutcome::Unchanged;
        }
        if (!force) {
            throw std::invalid_argument("the ODBC data source " + name.toStdString() +
                                        " already exists in " + UserDataSourceFile().toStdString() +
                                        " with other settings (" + described + " " +
                                        DataSourceAttribute(name, described).toStdString() +
                                        "); use --force to overwrite it");
        }
    }
    // Replaces the whole section, so no attribute of an earlier form of it stays behind.
    if (!SQLWriteDSNToIni(name.toUtf8().constData(), driver)) {
        throw std::runtime_error("cannot write the ODBC data source " + name.toStdString() +
                                 " to " + UserDataSourceFile().toStdString());
    }
    for (const auto& [key, value] : attributes) {
        Write(name, key, value);
    }
    return WriteOutcome::Written;
}

}  // namespace

QString UserDataSourceFile() {
    // As unixODBC finds it: from ODBCINI, or in the home folder of the user's account entry,
    // whatever HOME says.
    const QByteArray fromEnvironment = qgetenv("ODBCINI");
    if (!fromEnvironment.isEmpty()) {
        return QString::fromLocal8Bit(fromEnvironment);
    }
    const passwd* account = getpwuid(getuid());
    const QString home = account != nullptr && account->pw_dir != nullptr
                             ? QFile::decodeName(account->pw_dir)
                             : QStringLiteral("/home");
    return home + QStringLiteral("/.odbc.ini");
}

QString DataSourceAttribute(const QString& name, const char* key) {
    SQLSetConfigMode(ODBC_USER_DSN);
    char value[1024] = {};
    SQLGetPrivateProfileString(name.toUtf8().constData(), key, "", value, sizeof value, kOdbcIni);
    return QString::fromUtf8(value);
}

WriteOutcome WriteSqliteDataSource(const QString& name, const QString& databaseFile, bool force) {
    // WAL lets the station's long-lived connection read while its operations write;
    // the timeout makes a writer wait for a moment's lock instead of failing.
    return WriteDataSource(name, kSqliteDriver,
                           {{"Database", QDir(databaseFile).absolutePath()},
                            {"JournalMode", QStringLiteral("WAL")},
                            {"Timeout", QStringLiteral("10000")}},
                           "Database", force);
}

WriteOutcome WriteMariaDbDataSource(const QString& name, const MariaDbDataSource& source,
                                    bool force) {
    // OPTION 2 makes updates report the rows they matched rather than the rows they changed.
    Attributes attributes = {{"SERVER", source.server},     {"PORT", QString::number(source.port)},
                             {"DATABASE", source.database}, {"USER", source.account},
                             {"PASSWORD", source.password}, {"OPTION", QStringLiteral("2")}};
    if (!source.certificateAuthority.isEmpty()) {
        // FORCETLS refuses a connection the server would not encrypt; SSLVERIFY checks the
        // server's certificate against the authority and the name in SERVER.
        attributes += {{"SSLCA", QFileInfo(source.certificateAuthority).absoluteFilePath()},
                       {"SSLVERIFY", QStringLiteral("1")},
                       {"FORCETLS", QStringLiteral("1")}};
    }
    MakeOwnerOnly(UserDataSourceFile());
    return WriteDataSource(name, kMariaDbDriver, attributes, "SERVER", force);
}
