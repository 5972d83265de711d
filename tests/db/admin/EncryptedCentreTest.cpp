// A centre that takes only encrypted connections, set up by the repository's server
// configuration with a certificate authority of its own; stations that trust it and stations
// that do not.

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <memory>

#include "AdminToolRun.h"
#include "database/Connection.h"
#include "database/Recordset.h"
#include "support/MariaDbTestServer.h"
#include "support/TestAuthority.h"

namespace {

// The centre's authority, another one, and a server run by the repository's configuration with
// a certificate of the centre's authority.
struct Centre {
    Centre() {
        // The server's certificate names it as the stations' data sources do.
        const TestAuthority::Issued certificate =
            authority.Issue(QStringLiteral("127.0.0.1"), {QStringLiteral("IP:127.0.0.1")});
        // The configuration's certificate paths are those of an installed centre.
        server = std::make_unique<MariaDbTestServer>(MariaDbTestServer::Options{
            .defaultsFile =
                QStringLiteral(LINDHOLLOW_SOURCE_DIR "/db/centre/lindhollow-centre.cnf"),
            .arguments = {"--ssl-ca=" + authority.Certificate(),
                          "--ssl-cert=" + certificate.certificate,
                          "--ssl-key=" + certificate.key}});
    }

    QTemporaryDir folder;
    const TestAuthority authority{folder.path(), QStringLiteral("centre-ca")};
    const TestAuthority other{folder.path(), QStringLiteral("other-ca")};
    std::unique_ptr<MariaDbTestServer> server;
};

Centre& TheCentre() {
    static Centre centre;
    return centre;
}

class EncryptedCentre : public testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(home_.isValid()); }

    AdminToolResult Run(const QStringList& arguments, const QByteArray& input = {}) {
        return RunAdminTool(arguments, home_.path(), home_.filePath("odbc.ini"), input);
    }
    static MariaDbTestServer& Server() { return *TheCentre().server; }
    static QString Setting(const char* variable) {
        Connection connection;
        connection.Open(Server().AdministratorConnectString());
        Recordset value;
        value.Open(QStringLiteral("SELECT @@%1 AS v").arg(QLatin1StringView(variable)), connection);
        return value.Fields(QStringLiteral("v")).Value().toString();
    }

    QTemporaryDir home_;
};

TEST_F(EncryptedCentre, TheServerRunsAsItsConfigurationSays) {
    EXPECT_EQ(Setting("lower_case_table_names"), "1");
    EXPECT_EQ(Setting("character_set_server"), "utf8mb4");
    EXPECT_EQ(Setting("require_secure_transport"), "1");
    EXPECT_EQ(Setting("have_ssl"), "YES");
}

struct Trust {
    const char* authority;  // the station's SSLCA; none: a data source without TLS settings
    const char* said;
};

class StationTrust : public EncryptedCentre, public testing::WithParamInterface<Trust> {};

TEST_P(StationTrust, OnlyAStationTrustingTheCentresAuthorityConnects) {
    const QString admin = Server().AdministratorConnectString();
    ASSERT_EQ(Run({"create-centre", "--connect", admin}).exitCode, 0);
    ASSERT_EQ(Run({"add-operator", "--connect", admin + "DATABASE=lindhollow", "--user", "demo",
                   "--password", "demo", "--privilege", "1"})
                  .exitCode,
              0);
    const AdminToolResult added =
        Run({"add-station", "--connect", admin, "--system-id", "7", "--replace"});
    ASSERT_EQ(added.exitCode, 0) << added.errors.toStdString();
    QStringList dataSource = {"write-dsn",
                              "--name",
                              "Lindhollow",
                              "--mariadb",
                              "127.0.0.1",
                              "--port",
                              QString::number(Server().Port()),
                              "--account",
                              "station7"};
    if (*GetParam().authority != '\0') {
        dataSource << "--ssl-ca" << TheCentre().folder.filePath(GetParam().authority);
    } else {
        dataSource << "--insecure";
    }
    ASSERT_EQ(Run(dataSource, added.output.trimmed().section(u'\n', -1).toUtf8() + '\n').exitCode,
              0);
    ASSERT_EQ(
        Run({"write-settings", "--system-id", "7", "--system-type", "1", "--intray", home_.path(),
             "--scanner-ini", "scanner.ini", "--sql-connect", "DSN=Lindhollow;"})
            .exitCode,
        0);

    const AdminToolResult checked = Run({"check-station"});
    const bool trusted = QLatin1StringView(GetParam().authority) == u"centre-ca.pem";
    EXPECT_EQ(checked.exitCode, trusted ? 0 : 1) << checked.output.toStdString();
    EXPECT_TRUE(checked.output.contains(QString::fromUtf8(GetParam().said)))
        << checked.output.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Table, StationTrust,
    testing::Values(Trust{"centre-ca.pem", "as station7@%, encrypted (TLSv1."},
                    Trust{"other-ca.pem", "TLS/SSL error"},
                    Trust{"",
                          "A server that requires encrypted connections refuses the same way "
                          "a data source without TLS settings"}));

}  // namespace
