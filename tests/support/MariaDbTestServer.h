#pragma once

#include <QString>

// A MariaDB server of this test process alone: its own data folder, loopback
// only, a free port, identifiers without regard to letter case. Started on first
// use; stopped and removed when the process ends.
class MariaDbTestServer {
  public:
    static MariaDbTestServer& Instance();

    int Port() const { return port_; }
    static QString UserName() { return QStringLiteral("station"); }
    static QString Password() { return QStringLiteral("pass'word\\1"); }
    // Runs SQL as the server's administrator.
    void RunAsAdministrator(const QString& sql) const;

    ~MariaDbTestServer();

  private:
    MariaDbTestServer();
    // Starts the server on a free port; false when it ended before answering.
    bool Start(const QString& data, const QString& temporary);

    QString folder_;
    int port_ = 0;
    int pid_ = 0;
};
