#include "admin/UserDataSource.h"

#include <odbcinst.h>

#include <QDir>
#include <QList>
#include <QPair>
#include <stdexcept>

namespace {

const char* const kOdbcIni = "odbc.ini";

// The SQLite ODBC driver as Debian's libsqliteodbc registers it.
const char* const kSqliteDriver = "SQLite3";

QString Read(const QString& section, const char* key) {
    char value[1024] = {};
    SQLGetPrivateProfileString(section.toUtf8().constData(), key, "", value, sizeof value,
                               kOdbcIni);
    return QString::fromUtf8(value);
}

void Write(const QString& section, const char* key, const QString& value) {
    if (!SQLWritePrivateProfileString(section.toUtf8().constData(), key, value.toUtf8().constData(),
                                      kOdbcIni)) {
        throw std::runtime_error("cannot write the ODBC data source " + section.toStdString());
    }
}

}  // namespace

QString UserDataSourceFile() {
    const QByteArray fromEnvironment = qgetenv("ODBCINI");
    return fromEnvironment.isEmpty() ? QDir::home().filePath(QStringLiteral(".odbc.ini"))
                                     : QString::fromLocal8Bit(fromEnvironment);
}

WriteOutcome WriteSqliteDataSource(const QString& name, const QString& databaseFile, bool force) {
    // WAL lets the station's long-lived connection read while its operations write;
    // the timeout makes a writer wait for a moment's lock instead of failing.
    const QList<QPair<const char*, QString>> attributes = {
        {"Driver", QString::fromLatin1(kSqliteDriver)},
        {"Database", QDir(databaseFile).absolutePath()},
        {"JournalMode", QStringLiteral("WAL")},
        {"Timeout", QStringLiteral("10000")},
    };
    SQLSetConfigMode(ODBC_USER_DSN);
    const QString existingDriver = Read(name, "Driver");
    if (!existingDriver.isEmpty()) {
        bool same = true;
        for (const auto& [key, value] : attributes) {
            same = same && Read(name, key) == value;
        }
        if (same) {
            return WriteOutcome::Unchanged;
        }
        if (!force) {
            throw std::invalid_argument(
                "the ODBC data source " + name.toStdString() + " already exists in " +
                UserDataSourceFile().toStdString() + " with other settings (database " +
                Read(name, "Database").toStdString() + "); use --force to overwrite it");
        }
    }
    if (!SQLWriteDSNToIni(name.toUtf8().constData(), kSqliteDriver)) {
        throw std::runtime_error("cannot write the ODBC data source " + name.toStdString() +
                                 " to " + UserDataSourceFile().toStdString());
    }
    for (const auto& [key, value] : attributes) {
        if (qstrcmp(key, "Driver") != 0) {
            Write(name, key, value);
        }
    }
    return WriteOutcome::Written;
}
