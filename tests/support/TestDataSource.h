#pragma once

#include <QString>
#include <functional>
#include <memory>

class MariaDbTestServer;

// A fresh counting-centre database with the schema in place, reached through a
// real ODBC data source of this test process's own user data-source file.
class TestDataSource {
  public:
    TestDataSource(QString kind, QString dataSourceName, std::function<void()> cleanUp);
    ~TestDataSource();
    TestDataSource(const TestDataSource&) = delete;
    TestDataSource& operator=(const TestDataSource&) = delete;

    const QString& Kind() const { return kind_; }
    const QString& DataSourceName() const { return name_; }
    QString ConnectString() const { return QStringLiteral("DSN=%1;").arg(name_); }

  private:
    QString kind_;
    QString name_;
    std::function<void()> cleanUp_;
};

// An SQLite database file in a temporary folder, through libsqliteodbc.
std::unique_ptr<TestDataSource> MakeSqliteDataSource();

// A new database on this process's private MariaDB server (started on first use on
// a free loopback port, stopped when the process ends), through odbc-mariadb.
std::unique_ptr<TestDataSource> MakeMariaDbDataSource();
// The same on another server of this process, which must outlive the data source; over TLS when
// given the authority that signed the server's certificate for 127.0.0.1.
std::unique_ptr<TestDataSource> MakeMariaDbDataSource(const MariaDbTestServer& server,
                                                      const QString& authority = {});

// A data source of this process's own file for a database on a MariaDB server (or a proxy in
// front of servers) at a loopback port, reached with the tests' account; returns its name.
QString AddMariaDbDataSource(int port, const QString& database);
// The same over TLS to the server (or proxy) under the given name: encrypted only, and only to one
// whose certificate the authority signed for that name.
QString AddEncryptedMariaDbDataSource(const QString& server, int port, const QString& database,
                                      const QString& authority);

// Either of the two, by kind: "SQLite" or "MariaDB".
std::unique_ptr<TestDataSource> MakeDataSource(const QString& kind);

// A data source name that no data source answers to.
QString UnreachableConnectString();

// Runs one statement on the data source, for setting up and inspecting rows.
int ExecuteOn(const TestDataSource& source, const QString& statement);
int ExecuteOn(const QString& connectString, const QString& statement);
// Column "v" of the first row of a query, as text ("NULL" for NULL, "" for no row).
QString QueryOn(const TestDataSource& source, const QString& query);
QString QueryOn(const QString& connectString, const QString& query);
