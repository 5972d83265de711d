#include "MariaDbTestServer.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <stdexcept>
#include <vector>

#include "ChildProcess.h"

extern char** environ;

namespace {

QString Socket(const QString& folder) {
    return folder + QStringLiteral("/mysqld.sock");
}

}  // namespace

MariaDbTestServer& MariaDbTestServer::Instance() {
    static MariaDbTestServer server;
    return server;
}

MariaDbTestServer::MariaDbTestServer() {
    QTemporaryDir folder(QDir::tempPath() + QStringLiteral("/lindhollow-mariadb-XXXXXX"));
    folder.setAutoRemove(false);
    folder_ = folder.path();
    const QString data = folder_ + QStringLiteral("/data");
    // Servers of test programs running side by side each keep their temporary tables in a
    // folder of their own; in the shared /tmp one server's bootstrap can lose its own.
    const QString temporary = folder_ + QStringLiteral("/tmp");
    QDir().mkpath(temporary);
    RunToEnd(QStringLiteral("mariadb-install-db"),
             {QStringLiteral("--no-defaults"), QStringLiteral("--datadir=") + data,
              QStringLiteral("--tmpdir=") + temporary,
              QStringLiteral("--auth-root-authentication-method=normal"),
              QStringLiteral("--skip-test-db"), QStringLiteral("--user=root")});

    // Another test program may take the free port before this server binds it; the server
    // then ends at once, and a new port is tried.
    for (int attempt = 1; !Start(data, temporary); ++attempt) {
        if (attempt == 3) {
            throw std::runtime_error("the test MariaDB server did not start; see " +
                                     folder_.toStdString() + "/server.log");
        }
    }
    QString password = Password();
    password.replace(u'\\', QStringLiteral("\\\\")).replace(u'\'', QStringLiteral("\\'"));
    RunAsAdministrator(QStringLiteral("CREATE USER '%1'@'%' IDENTIFIED BY '%2'; "
                                      "CREATE USER '%1'@'localhost' IDENTIFIED BY '%2';")
                           .arg(UserName(), password));
}

bool MariaDbTestServer::Start(const QString& data, const QString& temporary) {
    port_ = FreeLoopbackPort();
    std::vector<std::string> arguments = {
        "mariadbd",
        "--no-defaults",
        "--datadir=" + data.toStdString(),
        "--tmpdir=" + temporary.toStdString(),
        "--socket=" + Socket(folder_).toStdString(),
        "--port=" + std::to_string(port_),
        "--bind-address=127.0.0.1",
        "--user=root",
        "--lower-case-table-names=1",
        "--skip-log-bin",
        "--innodb-buffer-pool-size=64M",
        "--innodb-flush-log-at-trx-commit=2",
        "--open-files-limit=1024",
        "--log-error=" + (folder_ + QStringLiteral("/server.log")).toStdString(),
    };
    std::vector<char*> argv;
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawnp(&pid, "mariadbd", nullptr, nullptr, argv.data(), environ) != 0) {
        throw std::runtime_error("cannot start mariadbd");
    }
    pid_ = pid;

    for (int attempt = 0;; ++attempt) {
        QProcess ping;
        ping.start(QStringLiteral("mariadb-admin"),
                   {QStringLiteral("--no-defaults"), QStringLiteral("--socket=") + Socket(folder_),
                    QStringLiteral("--user=root"), QStringLiteral("ping")});
        if (ping.waitForFinished(5000) && ping.exitCode() == 0) {
            return true;
        }
        if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
            pid_ = 0;
            return false;
        }
        if (attempt == 300) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
            pid_ = 0;
            throw std::runtime_error("the test MariaDB server did not answer; see " +
                                     folder_.toStdString() + "/server.log");
        }
        QThread::msleep(100);
    }
}

void MariaDbTestServer::RunAsAdministrator(const QString& sql) const {
    RunToEnd(QStringLiteral("mariadb"),
             {QStringLiteral("--no-defaults"), QStringLiteral("--socket=") + Socket(folder_),
              QStringLiteral("--user=root"), QStringLiteral("--execute=") + sql});
}

MariaDbTestServer::~MariaDbTestServer() {
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
    QDir(folder_).removeRecursively();
}
