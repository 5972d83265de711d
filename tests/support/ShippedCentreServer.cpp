#include "ShippedCentreServer.h"

ShippedCentreServer::ShippedCentreServer()
    : authority_(folder_.path(), QStringLiteral("centre-ca")) {
    const TestAuthority::Issued certificate =
        authority_.Issue(QStringLiteral("127.0.0.1"), {QStringLiteral("IP:127.0.0.1")});
    // The configuration's certificate paths are those of an installed centre. The tests' account,
    // without SUPER, makes the schema's triggers as an administrator would.
    server_ = std::make_unique<MariaDbTestServer>(MariaDbTestServer::Options{
        .defaultsFile = QStringLiteral(LINDHOLLOW_CENTRE_FILES "/lindhollow-centre.cnf"),
        .arguments = {"--ssl-ca=" + authority_.Certificate(),
                      "--ssl-cert=" + certificate.certificate, "--ssl-key=" + certificate.key},
        .lightened = false});
}

std::unique_ptr<TestDataSource> ShippedCentreServer::MakeDataSource() const {
    return MakeMariaDbDataSource(*server_, authority_.Certificate());
}
