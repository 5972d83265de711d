#pragma once

#include <QTemporaryDir>
#include <memory>

#include "MariaDbTestServer.h"
#include "TestAuthority.h"
#include "TestDataSource.h"

// A MariaDB server of this process run as the counting centre's server runs: by the shipped
// lindhollow-centre.cnf (encrypted connections only, the binary log synced at every commit), with
// every commit flushed and the server's own buffer sizes, none of the tests' lighter settings; its
// certificate from an authority of its own. What benchmarks compare against.
class ShippedCentreServer {
  public:
    ShippedCentreServer();

    // A new database on it, reached over TLS as a station reaches the centre.
    std::unique_ptr<TestDataSource> MakeDataSource() const;

  private:
    QTemporaryDir folder_;
    TestAuthority authority_;
    std::unique_ptr<MariaDbTestServer> server_;
};
