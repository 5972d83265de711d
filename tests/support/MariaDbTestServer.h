#pragma once

#include <QString>
#include <QStringList>

// A MariaDB server of this test process alone: its own data folder, loopback
// only, a free port. The shared one (Instance) compares identifiers without regard
// to letter case, keeps the session clock as the centre's shipped configuration does, is started
// on first use and is stopped and removed when the process ends; others live as long as their
// object.
class MariaDbTestServer {
  public:
    struct Options {
        // An option file read before the command line's options; none by default.
        QString defaultsFile;
        // Server options beyond data folder, socket, port and loopback.
        QStringList arguments = {QStringLiteral("--lower-case-table-names=1")};
        // The tests' lighter settings: no binary log, commits flushed about once a second, a
        // small buffer pool. Off, the server runs as its option file and defaults say.
        bool lightened = true;
    };

    static MariaDbTestServer& Instance();
    // `data`: a data folder to start on, as a restore leaves it; a new one when empty.
    explicit MariaDbTestServer(Options options, QString data = {});
    ~MariaDbTestServer();
    MariaDbTestServer(const MariaDbTestServer&) = delete;
    MariaDbTestServer& operator=(const MariaDbTestServer&) = delete;

    int Port() const { return port_; }
    QString Socket() const;
    QString DataFolder() const;
    // An account that may do anything on the databases that tests grant it.
    static QString UserName() { return QStringLiteral("station"); }
    static QString Password() { return QStringLiteral("pass'word\\1"); }
    // Runs SQL as the server's administrator.
    void RunAsAdministrator(const QString& sql) const;
    // An ODBC connect string of the administrator, through the server's socket.
    QString AdministratorConnectString() const;

    // The server dies at once, as in a power cut, and answers nothing until restarted.
    void Kill();
    // Starts the killed server again on its port and data; a running one is left alone.
    void Restart();

  private:
    // Starts the server; false when it ended before answering.
    bool Start();

    Options options_;
    QString data_;
    QString folder_;
    int port_ = 0;
    int pid_ = 0;
};
