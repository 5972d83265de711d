#include "BackupScript.h"

#include <QFile>
#include <QProcessEnvironment>
#include <stdexcept>

#include "support/ChildProcess.h"

namespace {

QString Admin(const QStringList& arguments) {
    return RunToEnd(QStringLiteral(LINDHOLLOW_ADMIN), arguments);
}

}  // namespace

BackupScript::BackupScript(const QString& socket, const QString& database) : database_(database) {
    const QString password =
        Admin({"add-backup-account", "--database", database, "--connect",
               "Driver=MariaDB Unicode;SERVER=localhost;USER=root;SOCKET=" + socket})
            .trimmed()
            .section(u'\n', -1);
    QFile options(Path(QStringLiteral("backup.cnf")));
    const QString account = "user=backup\npassword=\"" + password + "\"\nsocket=" + socket + "\n";
    if (!options.open(QIODevice::WriteOnly) ||
        options.write(("[client]\n" + account + "[mariadb-backup]\n" + account).toUtf8()) < 0) {
        throw std::runtime_error("cannot write the backup account's option file");
    }
}

void BackupScript::Start(QProcess& script, const QStringList& arguments) const {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const auto& [name, value] :
         {std::pair{"LINDHOLLOW_BACKUP_DEFAULTS", QStringLiteral("/nonexistent")},
          {"CLIENT_OPTIONS", Path(QStringLiteral("backup.cnf"))},
          {"BACKUP_DIR", BackupFolder()},
          {"CENTRE_DATABASE", database_},
          {"VERIFY_FULL", QStringLiteral("no")}}) {
        environment.insert(name, value);
    }
    script.setProcessEnvironment(environment);
    script.start(QStringLiteral(LINDHOLLOW_BACKUP), arguments);
}

BackupRun BackupScript::Run(const QStringList& arguments) const {
    QProcess script;
    Start(script, arguments);
    if (!script.waitForFinished(300000)) {
        throw std::runtime_error("lindhollow-backup did not end");
    }
    return {script.exitStatus() == QProcess::NormalExit ? script.exitCode() : -1,
            QString::fromUtf8(script.readAllStandardOutput()),
            QString::fromUtf8(script.readAllStandardError())};
}

bool BackupScript::RunAsAccount(const QString& sql) const {
    QProcess client;
    client.start(QStringLiteral("mariadb"),
                 {"--defaults-file=" + Path(QStringLiteral("backup.cnf")), "--execute=" + sql});
    return client.waitForFinished(60000) && client.exitCode() == 0;
}

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
    script_ = std::make_unique<BackupScript>(server_.Socket(), QStringLiteral("lindhollow"));
}

QString BackupCentre::Stations(const MariaDbTestServer& server) {
    return QStringLiteral(
               "Driver=MariaDB Unicode;SERVER=127.0.0.1;PORT=%1;DATABASE=lindhollow;USER=%2;"
               "PASSWORD=%3;OPTION=2;")
        .arg(server.Port())
        .arg(MariaDbTestServer::UserName(), MariaDbTestServer::Password());
}

QString BackupCentre::Query(const QString& socket, const QString& sql) {
    return RunToEnd(QStringLiteral("mariadb"),
                    {"--no-defaults", "--socket=" + socket, "--user=root", "--batch",
                     "--skip-column-names", "--execute=" + sql});
}

QString BackupCentre::Checksums(const QString& socket) {
    return Query(socket,
                 QStringLiteral("CHECKSUM TABLE lindhollow.Batches, lindhollow.BallotImages, "
                                "lindhollow.ImageSeals, lindhollow.ImageFiles, "
                                "lindhollow.SystemStatus, lindhollow.Users, "
                                "lindhollow.AuditAnchors"));
}
