#include "HaproxyTestFront.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>
#include <QThread>
#include <stdexcept>

#include "CentreFile.h"
#include "GaleraTestCluster.h"

namespace {

const QString kCheckPassword = QStringLiteral("check-only");

bool Accepts(int port) {
    const int s = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    const bool connected = connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    close(s);
    return connected;
}

}  // namespace

QString HaproxyTestFront::MissingPieces() {
    return QStandardPaths::findExecutable(QStringLiteral("haproxy")).isEmpty()
               ? QStringLiteral("haproxy is not installed")
               : QString();
}

HaproxyTestFront::HaproxyTestFront(const GaleraTestCluster& cluster)
    : folder_(QDir::tempPath() + QStringLiteral("/lindhollow-haproxy-XXXXXX")) {
    // haproxy gives up root for its own account, which must still reach the node check.
    QFile::setPermissions(folder_.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                              QFile::ReadGroup | QFile::ExeGroup |
                                              QFile::ReadOther | QFile::ExeOther);
    const QString check = folder_.filePath(QStringLiteral("galera-node-check"));
    if (!QFile::copy(QStringLiteral(LINDHOLLOW_CENTRE_FILES "/galera-node-check"), check)) {
        throw std::runtime_error("cannot copy the node check");
    }
    // Its account's password, and the cluster's authority, which it checks the nodes against.
    QFile options(check + QStringLiteral(".cnf"));
    if (!options.open(QIODevice::WriteOnly)) {
        throw std::runtime_error("cannot write the node check's options");
    }
    QString text = Replaced(CentreFile(QStringLiteral("galera-node-check.cnf")),
                            QStringLiteral("CHANGE-ME"), kCheckPassword);
    text = Replaced(text, QStringLiteral("/etc/lindhollow/centre-ca.pem"),
                    cluster.Authority().Certificate());
    options.write(text.toUtf8());
    options.close();
    cluster.Administer(0, QStringLiteral("CREATE USER 'galera_check'@'%' IDENTIFIED BY '%1'; "
                                         "CREATE USER 'galera_check'@'localhost' IDENTIFIED BY "
                                         "'%1';")
                              .arg(kCheckPassword));
    for (int attempt = 1; !Start(cluster); ++attempt) {
        if (attempt == 3) {
            throw std::runtime_error("haproxy did not start; see " +
                                     folder_.filePath(QStringLiteral("haproxy.out")).toStdString());
        }
    }
}

bool HaproxyTestFront::Start(const GaleraTestCluster& cluster) {
    port_ = FreeLoopbackPort();
    QString configuration = Replaced(CentreFile(QStringLiteral("haproxy-galera.cfg")),
                                     QStringLiteral("bind 127.0.0.1:3306"),
                                     QStringLiteral("bind 127.0.0.1:%1").arg(port_));
    configuration = Replaced(configuration, QStringLiteral("/etc/haproxy/galera-node-check"),
                             folder_.filePath(QStringLiteral("galera-node-check")));
    for (int node = 0; node < GaleraTestCluster::kNodes; ++node) {
        configuration = Replaced(configuration,
                                 QStringLiteral("galera-node%1.centre.example:3306").arg(node + 1),
                                 QStringLiteral("127.0.0.1:%1").arg(cluster.Port(node)));
    }
    // The test's own window on the proxy: which nodes it counts up.
    configuration = Replaced(configuration, QStringLiteral("    external-check\n"),
                             QStringLiteral("    external-check\n    stats socket %1\n")
                                 .arg(folder_.filePath(QStringLiteral("haproxy.sock"))));
    if (geteuid() != 0) {
        // Only root can hand haproxy to its own account.
        configuration = Replaced(configuration, QStringLiteral("    user  haproxy\n"), {});
        configuration = Replaced(configuration, QStringLiteral("    group haproxy\n"), {});
    }
    const QString file = folder_.filePath(QStringLiteral("haproxy.cfg"));
    QFile written(file);
    if (!written.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        throw std::runtime_error("cannot write " + file.toStdString());
    }
    written.write(configuration.toUtf8());
    written.close();

    haproxy_ = ChildProcess(QStringLiteral("haproxy"), {QStringLiteral("-f"), file},
                            folder_.filePath(QStringLiteral("haproxy.out")));
    QElapsedTimer waited;
    waited.start();
    while (!Accepts(port_)) {
        if (!haproxy_.Running()) {
            return false;
        }
        if (waited.elapsed() > 60000) {
            throw std::runtime_error("haproxy did not listen");
        }
        QThread::msleep(100);
    }
    return true;
}

bool HaproxyTestFront::Sends(int node) const {
    const QByteArray path = QFile::encodeName(folder_.filePath(QStringLiteral("haproxy.sock")));
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= static_cast<qsizetype>(sizeof address.sun_path)) {
        throw std::runtime_error("the path of haproxy's socket is too long");
    }
    std::copy(path.begin(), path.end(), address.sun_path);
    const int s = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    QByteArray answer;
    if (connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
        const char command[] = "show stat\n";
        if (write(s, command, sizeof command - 1) == sizeof command - 1) {
            char buffer[4096];
            for (ssize_t got; (got = read(s, buffer, sizeof buffer)) > 0;) {
                answer.append(buffer, got);
            }
        }
    }
    close(s);
    // CSV, a line per proxy and server: proxy, server, ..., status (the 18th field) ...
    const QString server = GaleraTestCluster::Name(node);
    for (const QByteArray& line : answer.split('\n')) {
        const QList<QByteArray> fields = line.split(',');
        if (fields.size() > 17 && fields[0] == "lindhollow-nodes" && fields[1] == server) {
            return fields[17].startsWith("UP");
        }
    }
    throw std::runtime_error("haproxy did not tell the state of " + server.toStdString());
}
