#include "BackupCentre.h"

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <stdexcept>

#include "support/ChildProcess.h"

namespace {

QString Admin(const QStringList& arguments) {
    return RunToEnd(QStringLiteral(LINDHOLLOW_ADMIN), arguments);
}

QString AsRoot(const QString& socket, const QString& sql) {
    return RunToEnd(QStringLiteral("mariadb"),
                    {"--no-defaults", "--socket=" + socket, "--user=root", "--batch",
                     "--skip-column-names", "--execute=" + sql});
}

}  // namespace

BackupCentre::BackupCentre()
    : server_(MariaDbTestServer::Options{
          .defaultsFile = {},
          .arguments = {"--lower-case-table-names=1", "--log-bin=lindhollow-bin",
                        "--binlog-format=ROW", "--server-id=1"}}) {
    const QString admin = server_.AdministratorConnectString();
    Admin({"create-centre", "--connect", admin, "--database", "lindhollow"});
    Admin({"add-operator", "--connect", admin + "DATABASE=lindhollow;", "--user", "demo",
           "--password", "demo", "--privilege", "1"});
    server_.RunAsAdministrator(
        QStringLiteral("GRANT ALL ON lindhollow.* TO '%1'@'%'").arg(MariaDbTestServer::UserName()));
    const QString password =
        Admin({"add-backup-account", "--connect", admin}).trimmed().section(u'\n', -1);
    QFile options(Path(QStringLiteral("backup.cnf")));
    if (!options.open(QIODevice::WriteOnly)) {
        throw std::runtime_error("cannot write the backup account's option file");
    }
    const QString account =
        QStringLiteral("user=backup\npassword=\"%1\"\nsocket=%2\n").arg(password, server_.Socket());
    options.write(("[client]\n" + account + "[mariadb-backup]\n" + account).toUtf8());
}

QString BackupCentre::Stations() const {
    return QStringLiteral(
               "Driver=MariaDB Unicode;SERVER=127.0.0.1;PORT=%1;DATABASE=lindhollow;USER=%2;"
               "PASSWORD=%3;OPTION=2;")
        .arg(server_.Port())
        .arg(MariaDbTestServer::UserName(), MariaDbTestServer::Password());
}

void BackupCentre::Start(QProcess& script, const QStringList& arguments) const {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("LINDHOLLOW_BACKUP_DEFAULTS", "/nonexistent");
    environment.insert("CLIENT_OPTIONS", folder_.filePath(QStringLiteral("backup.cnf")));
    environment.insert("BACKUP_DIR", BackupFolder());
    environment.insert("VERIFY_FULL", "no");
    script.setProcessEnvironment(environment);
    script.start(QStringLiteral(LINDHOLLOW_BACKUP), arguments);
}

BackupRun BackupCentre::Run(const QStringList& arguments) const {
    QProcess script;
    Start(script, arguments);
    if (!script.waitForFinished(300000)) {
        throw std::runtime_error("lindhollow-backup did not end");
    }
    return {script.exitStatus() == QProcess::NormalExit ? script.exitCode() : -1,
            QString::fromUtf8(script.readAllStandardOutput()),
            QString::fromUtf8(script.readAllStandardError())};
}

bool BackupCentre::RunAsBackupAccount(const QString& sql) const {
    QProcess client;
    client.start(
        QStringLiteral("mariadb"),
        {"--defaults-file=" + folder_.filePath(QStringLiteral("backup.cnf")), "--execute=" + sql});
    return client.waitForFinished(60000) && client.exitCode() == 0;
}

QString BackupCentre::Checksums(const QString& socket) {
    return AsRoot(socket,
                  QStringLiteral("CHECKSUM TABLE lindhollow.Batches, lindhollow.BallotImages, "
                                 "lindhollow.ImageSeals, lindhollow.ImageFiles, "
                                 "lindhollow.SystemStatus, lindhollow.Users, "
                                 "lindhollow.AuditAnchors"));
}

QString BackupCentre::Value(const QString& socket, const QString& sql) {
    return AsRoot(socket, sql).section(u'\n', 0, 0).section(u'\t', 0, 0);
}
