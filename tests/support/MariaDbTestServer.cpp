#include "support/MariaDbTestServer.h"

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

#include "support/CentreFile.h"
#include "support/ChildProcess.h"

extern char** environ;

MariaDbTestServer& MariaDbTestServer::Instance() {
    // The clock as the centre's server keeps it, so that what a station account may not do with
    // it is tried where the tests' stations run.
    static MariaDbTestServer server{
        Options{.defaultsFile = {},
                .arguments = {QStringLiteral("--lower-case-table-names=1"),
                              QStringLiteral("--secure-timestamp=") +
                                  CentreSetting(QStringLiteral("lindhollow-centre.cnf"),
                                                QStringLiteral("secure_timestamp"))}}};
    return server;
}

MariaDbTestServer::MariaDbTestServer(Options options, QString data)
    : options_(std::move(options)), data_(std::move(data)) {
    QTemporaryDir folder(QDir::tempPath() + QStringLiteral("/lindhollow-mariadb-XXXXXX"));
    folder.setAutoRemove(false);
    folder_ = folder.path();
    // Servers of test programs running side by side each keep their temporary tables in a
    // folder of their own; in the shared /tmp one server's bootstrap can lose its own.
    QDir().mkpath(folder_ + QStringLiteral("/tmp"));
    if (data_.isEmpty()) {
        RunToEnd(QStringLiteral("mariadb-install-db"),
                 {QStringLiteral("--no-defaults"), QStringLiteral("--datadir=") + DataFolder(),
                  QStringLiteral("--tmpdir=") + folder_ + QStringLiteral("/tmp"),
                  QStringLiteral("--auth-root-authentication-method=normal"),
                  QStringLiteral("--skip-test-db"), QStringLiteral("--user=root")});
    }

    // Another test program may take the free port before this server binds it; the server
    // then ends at once, and a new port is tried.
    for (int attempt = 1;; ++attempt) {
        port_ = FreeLoopbackPort();
        if (Start()) {
            break;
        }
        if (attempt == 3) {
            throw std::runtime_error("the test MariaDB server did not start; see " +
                                     folder_.toStdString() + "/server.log");
        }
    }
    QString password = Password();
    password.replace(u'\\', QStringLiteral("\\\\")).replace(u'\'', QStringLiteral("\\'"));
    RunAsAdministrator(QStringLiteral("CREATE USER IF NOT EXISTS '%1'@'%' IDENTIFIED BY '%2'; "
                                      "CREATE USER IF NOT EXISTS '%1'@'localhost' IDENTIFIED BY "
                                      "'%2';")
                           .arg(UserName(), password));
}

QString MariaDbTestServer::DataFolder() const {
    return data_.isEmpty() ? folder_ + QStringLiteral("/data") : data_;
}

QString MariaDbTestServer::Socket() const {
    return folder_ + QStringLiteral("/mysqld.sock");
}

bool MariaDbTestServer::Start() {
    std::vector<std::string> arguments = {"mariadbd"};
    if (!options_.defaultsFile.isEmpty()) {
        arguments.push_back("--defaults-file=" + options_.defaultsFile.toStdString());
    } else {
        arguments.push_back("--no-defaults");
    }
    for (const char* option :
         {"--user=root", "--open-files-limit=1024", "--bind-address=127.0.0.1"}) {
        arguments.emplace_back(option);
    }
    if (options_.lightened) {
        for (const char* option : {"--skip-log-bin", "--innodb-buffer-pool-size=64M",
                                   "--innodb-flush-log-at-trx-commit=2"}) {
            arguments.emplace_back(option);
        }
    }
    for (const auto& [option, value] :
         {std::pair{"--datadir=", DataFolder()},
          {"--tmpdir=", folder_ + QStringLiteral("/tmp")},
          {"--socket=", Socket()},
          {"--port=", QString::number(port_)},
          {"--log-error=", folder_ + QStringLiteral("/server.log")}}) {
        arguments.push_back(option + value.toStdString());
    }
    for (const QString& argument : options_.arguments) {
        arguments.push_back(argument.toStdString());
    }
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
                   {QStringLiteral("--no-defaults"), QStringLiteral("--socket=") + Socket(),
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

void MariaDbTestServer::Kill() {
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
        pid_ = 0;
    }
}

void MariaDbTestServer::Restart() {
    if (pid_ > 0) {
        return;
    }
    // The port stays the stations' port; a client of another program may hold it for a moment.
    for (int attempt = 1; !Start(); ++attempt) {
        if (attempt == 100) {
            throw std::runtime_error("the test MariaDB server did not start again; see " +
                                     folder_.toStdString() + "/server.log");
        }
        QThread::msleep(200);
    }
}

void MariaDbTestServer::RunAsAdministrator(const QString& sql) const {
    RunToEnd(QStringLiteral("mariadb"),
             {QStringLiteral("--no-defaults"), QStringLiteral("--socket=") + Socket(),
              QStringLiteral("--user=root"), QStringLiteral("--execute=") + sql});
}

QString MariaDbTestServer::AdministratorConnectString() const {
    return QStringLiteral("Driver=MariaDB Unicode;SERVER=localhost;SOCKET=%1;USER=root;OPTION=2;")
        .arg(Socket());
}

MariaDbTestServer::~MariaDbTestServer() {
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
    QDir(folder_).removeRecursively();
}
