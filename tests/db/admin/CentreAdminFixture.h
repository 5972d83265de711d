#pragma once

// The centre's admin tests' fixture: a private MariaDB server, a database of the centre's own for
// each test, lindhollow-admin run in a throw-away home.

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QTemporaryDir>

#include "AdminToolRun.h"
#include "database/Connection.h"
#include "database/Recordset.h"
#include "support/MariaDbTestServer.h"

inline QString Query(const QString& connectString, const QString& query) {
    Connection connection;
    connection.Open(connectString);
    Recordset rows;
    rows.Open(query, connection);
    return rows.Eof() ? QString() : rows.Fields(QStringLiteral("v")).Value().toString();
}

inline QString StationConnectString(const QString& database, const QString& account,
                                    const QString& password) {
    return QStringLiteral(
               "Driver=MariaDB Unicode;SERVER=127.0.0.1;PORT=%1;DATABASE=%2;USER=%3;"
               "PASSWORD=%4;OPTION=2")
        .arg(MariaDbTestServer::Instance().Port())
        .arg(database, account, password);
}

class CentreAdmin : public testing::Test {
  public:
    void SetUp() override {
        static int databases = 0;
        ASSERT_TRUE(home_.isValid());
        database_ = QStringLiteral("centre_%1").arg(++databases);
    }
    void TearDown() override {
        if (closedPort_ >= 0) {
            close(closedPort_);
        }
        Server().RunAsAdministrator(
            QStringLiteral("DROP DATABASE IF EXISTS %1; DROP USER IF "
                           "EXISTS 'station3'@'%', 'station4'@'%', 'station6'@'%';")
                .arg(database_));
    }

    static MariaDbTestServer& Server() { return MariaDbTestServer::Instance(); }
    QString Admin() const { return Server().AdministratorConnectString(); }
    QString AdminOnCentre() const { return Admin() + QStringLiteral("DATABASE=") + database_; }

    AdminToolResult Run(const QStringList& arguments, const QByteArray& input = {}) {
        return RunAdminTool(arguments, home_.path(), OdbcIni(), input);
    }
    QString OdbcIni() const { return home_.filePath(QStringLiteral("odbc.ini")); }

    // The centre's database, with station `systemId`'s account; returns its password.
    QString CentreWithStation(int systemId) {
        EXPECT_EQ(Run({"create-centre", "--connect", Admin(), "--database", database_}).exitCode,
                  0);
        const AdminToolResult added = Run({"add-station", "--connect", Admin(), "--database",
                                           database_, "--system-id", QString::number(systemId)});
        EXPECT_EQ(added.exitCode, 0) << added.errors.toStdString();
        return added.output.trimmed().section(u'\n', -1);
    }

    // A loopback port that refuses connections while the test runs: bound, never listening.
    int ClosedPort() {
        closedPort_ = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        EXPECT_EQ(bind(closedPort_, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        EXPECT_EQ(getsockname(closedPort_, reinterpret_cast<sockaddr*>(&address), &length), 0);
        return ntohs(address.sin_port);
    }

    QTemporaryDir home_;
    QString database_;
    int closedPort_ = -1;
};
