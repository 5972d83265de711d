#include "support/TestDataSource.h"

#include <QAtomicInteger>
#include <QTemporaryDir>
#include <stdexcept>

#include "admin/Schema.h"
#include "admin/UserDataSource.h"
#include "database/Connection.h"
#include "database/Recordset.h"
#include "support/MariaDbTestServer.h"
#include "support/OdbcUserFile.h"

namespace {

int NextNumber() {
    static QAtomicInteger<int> counter;
    return ++counter;
}

void CreateSchemaIn(const QString& connectString) {
    Connection connection;
    connection.Open(connectString);
    CreateSchema(connection);
}

}  // namespace

TestDataSource::TestDataSource(QString kind, QString dataSourceName, std::function<void()> cleanUp)
    : kind_(std::move(kind)), name_(std::move(dataSourceName)), cleanUp_(std::move(cleanUp)) {}

TestDataSource::~TestDataSource() {
    if (cleanUp_) {
        cleanUp_();
    }
}

std::unique_ptr<TestDataSource> MakeSqliteDataSource() {
    PrivateOdbcIniFile();
    auto folder = std::make_shared<QTemporaryDir>();
    const QString name = QStringLiteral("LindhollowTestSqlite%1").arg(NextNumber());
    // Written the way installers write it, so the provisioning code is exercised too.
    WriteSqliteDataSource(name, folder->filePath(QStringLiteral("lindhollow.db")), false);
    auto source = std::make_unique<TestDataSource>(QStringLiteral("SQLite"), name,
                                                   [folder]() mutable { folder.reset(); });
    CreateSchemaIn(source->ConnectString());
    return source;
}

std::unique_ptr<TestDataSource> MakeMariaDbDataSource() {
    return MakeMariaDbDataSource(MariaDbTestServer::Instance());
}

std::unique_ptr<TestDataSource> MakeMariaDbDataSource(const MariaDbTestServer& server,
                                                      const QString& authority) {
    const int number = NextNumber();
    const QString database = QStringLiteral("lindhollow_%1").arg(number);
    server.RunAsAdministrator(QStringLiteral("CREATE DATABASE %1; GRANT ALL ON %1.* TO '%2'@'%'; "
                                             "GRANT ALL ON %1.* TO '%2'@'localhost';")
                                  .arg(database, MariaDbTestServer::UserName()));
    const QString name = authority.isEmpty()
                             ? AddMariaDbDataSource(server.Port(), database)
                             : AddEncryptedMariaDbDataSource(QStringLiteral("127.0.0.1"),
                                                             server.Port(), database, authority);
    auto source =
        std::make_unique<TestDataSource>(QStringLiteral("MariaDB"), name, [&server, database] {
            server.RunAsAdministrator(QStringLiteral("DROP DATABASE %1;").arg(database));
        });
    CreateSchemaIn(source->ConnectString());
    return source;
}

namespace {

QString AddMariaDbDataSource(const QString& server, int port, const QString& database,
                             const QList<QPair<QString, QString>>& more) {
    const QString name = QStringLiteral("LindhollowTestMariaDb%1").arg(NextNumber());
    // OPTION 2 makes the driver count matched rather than changed rows.
    AddUserDataSource(name,
                      QList<QPair<QString, QString>>{{"Driver", "MariaDB Unicode"},
                                                     {"SERVER", server},
                                                     {"PORT", QString::number(port)},
                                                     {"DATABASE", database},
                                                     {"USER", MariaDbTestServer::UserName()},
                                                     {"PASSWORD", MariaDbTestServer::Password()},
                                                     {"OPTION", "2"}} +
                          more);
    return name;
}

}  // namespace

QString AddMariaDbDataSource(int port, const QString& database) {
    return AddMariaDbDataSource(QStringLiteral("127.0.0.1"), port, database, {});
}

QString AddEncryptedMariaDbDataSource(const QString& server, int port, const QString& database,
                                      const QString& authority) {
    // TCPIP: the driver would take "localhost" for the server's socket.
    return AddMariaDbDataSource(
        server, port, database,
        {{"SSLCA", authority}, {"SSLVERIFY", "1"}, {"FORCETLS", "1"}, {"TCPIP", "1"}});
}

std::unique_ptr<TestDataSource> MakeDataSource(const QString& kind) {
    if (kind == u"SQLite") {
        return MakeSqliteDataSource();
    }
    if (kind == u"MariaDB") {
        return MakeMariaDbDataSource();
    }
    throw std::invalid_argument("unknown database kind " + kind.toStdString());
}

QString UnreachableConnectString() {
    PrivateOdbcIniFile();
    return QStringLiteral("DSN=LindhollowNoSuchDataSource;");
}

int ExecuteOn(const TestDataSource& source, const QString& statement) {
    return ExecuteOn(source.ConnectString(), statement);
}

int ExecuteOn(const QString& connectString, const QString& statement) {
    Connection connection;
    connection.Open(connectString);
    return connection.Execute(statement);
}

QString QueryOn(const TestDataSource& source, const QString& query) {
    return QueryOn(source.ConnectString(), query);
}

QString QueryOn(const QString& connectString, const QString& query) {
    Connection connection;
    connection.Open(connectString);
    Recordset rows;
    rows.Open(query, connection);
    if (rows.Eof()) {
        return {};
    }
    const QVariant value = rows.Fields(QStringLiteral("v")).Value();
    return value.isNull() ? QStringLiteral("NULL") : value.toString();
}
