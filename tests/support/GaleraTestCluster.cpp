#include "GaleraTestCluster.h"

#include <grp.h>
#include <pwd.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTextStream>
#include <QThread>
#include <filesystem>
#include <stdexcept>

#include "CentreFile.h"
#include "MariaDbTestServer.h"

namespace {

constexpr const char* kProvider = "/usr/lib/galera/libgalera_smm.so";

// A state transfer by rsync runs its receiving rsync daemon as nobody when the server runs as
// root: the receiving data folder must be nobody's, otherwise rsync may not write into it.
void GiveToNobody(const QString& folder) {
    if (geteuid() != 0) {
        return;
    }
    const passwd* user = getpwnam("nobody");
    const group* users = getgrnam("nogroup");
    if (user == nullptr || users == nullptr) {
        throw std::runtime_error("this host has no user nobody or group nogroup");
    }
    const std::filesystem::path top = QFile::encodeName(folder).toStdString();
    lchown(top.c_str(), user->pw_uid, users->gr_gid);
    for (const auto& entry : std::filesystem::recursive_directory_iterator(top)) {
        lchown(entry.path().c_str(), user->pw_uid, users->gr_gid);
    }
}

void WriteText(const QString& path, const QString& text) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        throw std::runtime_error("cannot write " + path.toStdString());
    }
    QTextStream(&file) << text;
}

QString ReadText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

}  // namespace

QString GaleraTestCluster::MissingPieces() {
    if (!QFile::exists(QLatin1StringView(kProvider))) {
        return QStringLiteral("Galera (Debian's galera-4) is not installed");
    }
    // A full copy runs through stunnel (Debian's stunnel4).
    for (const char* program : {"mariadbd", "mariadb-install-db", "mariadb", "rsync", "stunnel"}) {
        if (QStandardPaths::findExecutable(QLatin1StringView(program)).isEmpty()) {
            return QStringLiteral("%1 is not installed").arg(QLatin1StringView(program));
        }
    }
    return TestAuthority::MissingPieces();
}

GaleraTestCluster::GaleraTestCluster()
    : folder_(QDir::tempPath() + QStringLiteral("/lindhollow-galera-XXXXXX")) {
    if (!folder_.isValid()) {
        throw std::runtime_error("cannot make the cluster's folder");
    }
    // The state-transfer daemon, running as nobody, must reach the data folders.
    QFile::setPermissions(folder_.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                              QFile::ReadGroup | QFile::ExeGroup |
                                              QFile::ReadOther | QFile::ExeOther);
    const QString certificates = folder_.filePath(QStringLiteral("tls"));
    QDir().mkpath(certificates);
    authority_ = std::make_unique<TestAuthority>(certificates, QStringLiteral("centre-ca"));
    for (int node = 0; node <= kStranger; ++node) {
        nodes_[node].folder = folder_.filePath(Name(node));
        QDir().mkpath(nodes_[node].folder + QStringLiteral("/tmp"));
        if (node < kNodes) {
            const TestAuthority::Issued issued = authority_->Issue(
                Name(node), {QStringLiteral("DNS:") + ProxyName(), QStringLiteral("IP:127.0.0.1")});
            nodes_[node].tls = {issued.certificate, issued.key};
        }
    }
    WriteOptionFile(0);
    RunToEnd(QStringLiteral("mariadb-install-db"),
             {QStringLiteral("--defaults-file=") + OptionFile(0),
              QStringLiteral("--auth-root-authentication-method=normal"),
              QStringLiteral("--skip-test-db")});
    StartWithRetries(0, {QStringLiteral("--wsrep-new-cluster")});
    WaitUntilSynced(0);
    // The others start empty and receive a copy of the first node's data.
    for (int node = 1; node < kNodes; ++node) {
        EmptyData(node);
        StartWithRetries(node, {});
    }
    for (int node = 1; node < kNodes; ++node) {
        WaitUntilSynced(node);
    }
    QString password = MariaDbTestServer::Password();
    password.replace(u'\\', QStringLiteral("\\\\")).replace(u'\'', QStringLiteral("\\'"));
    Administer(0, QStringLiteral("CREATE USER '%1'@'%' IDENTIFIED BY '%2'; "
                                 "CREATE USER '%1'@'localhost' IDENTIFIED BY '%2';")
                      .arg(MariaDbTestServer::UserName(), password));
}

GaleraTestCluster::~GaleraTestCluster() {
    for (Node& node : nodes_) {
        node.server.Kill();
    }
}

QString GaleraTestCluster::OptionFile(int node) const {
    return nodes_[node].folder + QStringLiteral("/my.cnf");
}

QString GaleraTestCluster::Socket(int node) const {
    return nodes_[node].folder + QStringLiteral("/mysqld.sock");
}

void GaleraTestCluster::WriteOptionFile(int node) {
    Node& n = nodes_[node];
    for (int* port : {&n.port, &n.groupPort, &n.catchUpPort, &n.copyPort}) {
        if (*port == 0) {
            *port = FreeLoopbackPort();
        }
    }
    QStringList members;
    for (int other = 0; other < kNodes; ++other) {
        if (nodes_[other].groupPort != 0) {
            members << QStringLiteral("127.0.0.1:%1").arg(nodes_[other].groupPort);
        }
    }
    // The server's and the node's shipped files, with this node's certificate, and its ports
    // before the shipped provider options.
    QString galera = Replaced(
        CentreFile(QStringLiteral("galera-node.cnf")),
        QStringLiteral("wsrep_provider_options   = \""),
        QStringLiteral("wsrep_provider_options   = \"gmcast.listen_addr=tcp://127.0.0.1:%1;"
                       "ist.recv_addr=127.0.0.1:%2;gcache.size=64M;%3")
            .arg(n.groupPort)
            .arg(n.catchUpPort)
            .arg(n.moreProviderOptions.isEmpty() ? QString() : n.moreProviderOptions + u';'));
    if (!n.tls.replicationEncrypted) {
        static const QRegularExpression replicationTls(
            QStringLiteral(R"(;socket\.ssl_\w+=[^;"]*)"));
        galera.remove(replicationTls);
    }
    QString options = CentreFile(QStringLiteral("lindhollow-centre.cnf")) + galera;
    options = Replaced(options, QStringLiteral("/etc/mysql/lindhollow/ca.pem"),
                       authority_->Certificate());
    options =
        Replaced(options, QStringLiteral("/etc/mysql/lindhollow/server.pem"), n.tls.certificate);
    options = Replaced(options, QStringLiteral("/etc/mysql/lindhollow/server.key"), n.tls.key);
    const QString folder = n.folder;
    WriteText(OptionFile(node),
              options + QStringLiteral("\n[mariadbd]\n"
                                       "datadir = %1/data\n"
                                       "tmpdir = %1/tmp\n"
                                       "socket = %2\n"
                                       "port = %3\n"
                                       "bind_address = 127.0.0.1\n"
                                       "user = root\n"
                                       "log_error = %1/server.log\n"
                                       "innodb_buffer_pool_size = 64M\n"
                                       "innodb_log_file_size = 16M\n"
                                       "innodb_flush_log_at_trx_commit = 2\n"
                                       "open_files_limit = 1024\n"
                                       "wsrep_cluster_address = gcomm://%4\n"
                                       "wsrep_node_name = %5\n"
                                       "wsrep_node_address = 127.0.0.1:%6\n"
                                       "wsrep_sst_receive_address = 127.0.0.1:%7\n")
                            .arg(folder, Socket(node))
                            .arg(n.port)
                            .arg(members.join(u','), Name(node))
                            .arg(n.groupPort)
                            .arg(n.copyPort));
}

bool GaleraTestCluster::Start(int node, const QStringList& arguments) {
    WriteOptionFile(node);
    Node& n = nodes_[node];
    const QString& folder = n.folder;
    n.server =
        ChildProcess(QStringLiteral("mariadbd"),
                     QStringList{QStringLiteral("--defaults-file=") + OptionFile(node)} + arguments,
                     folder + QStringLiteral("/server.out"));
    QElapsedTimer waited;
    waited.start();
    while (State(node).isEmpty()) {
        if (!n.server.Running()) {
            return false;
        }
        if (waited.elapsed() > 300000) {
            throw std::runtime_error("node " + Name(node).toStdString() + " did not answer; see " +
                                     folder.toStdString() + "/server.log");
        }
        QThread::msleep(200);
    }
    return true;
}

void GaleraTestCluster::StartWithRetries(int node, const QStringList& arguments) {
    for (int attempt = 1; !Start(node, arguments); ++attempt) {
        if (attempt == 3) {
            throw std::runtime_error("node " + Name(node).toStdString() + " did not start; see " +
                                     nodes_[node].folder.toStdString() + "/server.log");
        }
        // Another program may have taken one of its ports.
        Node& n = nodes_[node];
        n.port = n.groupPort = n.catchUpPort = n.copyPort = 0;
    }
}

bool GaleraTestCluster::Running(int node) {
    return nodes_[node].server.Running();
}

QString GaleraTestCluster::Administer(int node, const QString& sql) const {
    return RunToEnd(QStringLiteral("mariadb"),
                    {QStringLiteral("--no-defaults"), QStringLiteral("--socket=") + Socket(node),
                     QStringLiteral("--user=root"), QStringLiteral("--batch"),
                     QStringLiteral("--skip-column-names"), QStringLiteral("--execute=") + sql});
}

QString GaleraTestCluster::State(int node) const {
    return Status(node, QStringLiteral("wsrep_local_state_comment"));
}

bool GaleraTestCluster::InPrimaryComponent(int node) const {
    return Status(node, QStringLiteral("wsrep_cluster_status")) == u"Primary";
}

QString GaleraTestCluster::Status(int node, const QString& variable) const {
    QProcess client;
    // Its own state is read at once, without waiting for the cluster.
    client.start(QStringLiteral("mariadb"),
                 {QStringLiteral("--no-defaults"), QStringLiteral("--socket=") + Socket(node),
                  QStringLiteral("--user=root"), QStringLiteral("--batch"),
                  QStringLiteral("--skip-column-names"),
                  QStringLiteral("--execute=SET SESSION wsrep_sync_wait = 0; SHOW GLOBAL STATUS "
                                 "LIKE '%1'")
                      .arg(variable)});
    if (!client.waitForFinished(30000) || client.exitCode() != 0) {
        client.kill();
        client.waitForFinished();
        return {};
    }
    return QString::fromUtf8(client.readAllStandardOutput()).section(u'\t', 1).trimmed();
}

QString GaleraTestCluster::Log(int node) const {
    return ReadText(nodes_[node].folder + QStringLiteral("/server.log"));
}

void GaleraTestCluster::EmptyData(int node) {
    const QString data = nodes_[node].folder + QStringLiteral("/data");
    QDir(data).removeRecursively();
    QDir().mkpath(data);
    GiveToNobody(data);
}

void GaleraTestCluster::Kill(int node) {
    nodes_[node].server.Kill();
}

void GaleraTestCluster::Restart(int node) {
    const Node& n = nodes_[node];
    const QString data = n.folder + QStringLiteral("/data");
    GiveToNobody(data);
    // A server that died keeps no note of its last write; the data itself tells it.
    const QString log = n.folder + QStringLiteral("/recover.log");
    QFile::remove(log);
    ChildProcess recovery(QStringLiteral("mariadbd"),
                          {QStringLiteral("--defaults-file=") + OptionFile(node),
                           QStringLiteral("--wsrep-recover"), QStringLiteral("--log-error=") + log},
                          n.folder + QStringLiteral("/server.out"));
    if (!recovery.WaitForEnd(300000)) {
        throw std::runtime_error("the recovery of " + Name(node).toStdString() + " did not end");
    }
    static const QRegularExpression recovered(
        QStringLiteral(R"(WSREP: Recovered position: ([0-9a-f-]+:-?[0-9]+))"));
    const QRegularExpressionMatch position = recovered.match(ReadText(log));
    QStringList arguments;
    if (position.hasMatch()) {
        arguments << QStringLiteral("--wsrep-start-position=") + position.captured(1);
    }
    for (int attempt = 1; !Start(node, arguments); ++attempt) {
        if (attempt == 3) {
            throw std::runtime_error("node " + Name(node).toStdString() +
                                     " did not start again; see " + n.folder.toStdString() +
                                     "/server.log");
        }
        // Its stations and the other nodes know it by its own and its group port, but the ports
        // it catches up on are its own to choose, and another program may have taken them.
        nodes_[node].catchUpPort = nodes_[node].copyPort = 0;
    }
}

void GaleraTestCluster::WaitUntilSynced(int node) {
    QElapsedTimer waited;
    waited.start();
    while (State(node) != u"Synced") {
        if (!Running(node) || waited.elapsed() > 600000) {
            throw std::runtime_error("node " + Name(node).toStdString() +
                                     " did not join the cluster; see " +
                                     nodes_[node].folder.toStdString() + "/server.log");
        }
        QThread::msleep(500);
    }
}

void GaleraTestCluster::RebuildFrom(const QString& restoredData) {
    for (int node = 0; node < kNodes; ++node) {
        Kill(node);
        EmptyData(node);
    }
    const QString data = nodes_[0].folder + QStringLiteral("/data");
    QDir().rmdir(data);
    if (!QDir().rename(restoredData, data)) {
        throw std::runtime_error("cannot move the restored data to " + data.toStdString());
    }
    StartWithRetries(0, {QStringLiteral("--wsrep-new-cluster")});
    WaitUntilSynced(0);
    for (int node = 1; node < kNodes; ++node) {
        StartWithRetries(node, {});
        WaitUntilSynced(node);
    }
}

void GaleraTestCluster::Isolate(int node) {
    Administer(node, QStringLiteral("SET GLOBAL wsrep_provider_options = 'gmcast.isolate=1'"));
}

void GaleraTestCluster::Heal(int node) {
    Administer(node, QStringLiteral("SET GLOBAL wsrep_provider_options = 'gmcast.isolate=0'"));
}

bool GaleraTestCluster::Admits(const NodeTls& tls) {
    Node& n = nodes_[kStranger];
    n.tls = tls;
    n.port = n.groupPort = n.catchUpPort = n.copyPort = 0;
    // Refused, it gives up after a few seconds rather than Galera's half minute.
    n.moreProviderOptions = QStringLiteral("pc.wait_prim_timeout=PT5S");
    EmptyData(kStranger);
    QFile::remove(n.folder + QStringLiteral("/server.log"));
    const bool joined = Start(kStranger, {});
    if (joined) {
        WaitUntilSynced(kStranger);
        Administer(kStranger, QStringLiteral("SHUTDOWN"));
        n.server.WaitForEnd(120000);
    }
    n.server.Kill();
    QElapsedTimer waited;
    waited.start();
    while (Status(0, QStringLiteral("wsrep_cluster_size")) != QString::number(kNodes)) {
        if (waited.elapsed() > 120000) {
            throw std::runtime_error("the cluster did not get back to its three nodes");
        }
        QThread::msleep(200);
    }
    return joined;
}
