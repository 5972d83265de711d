// What the centre's row guards (own rows, open batches) and history cost a station on MariaDB: the
// storage pass over a batch of 1000 images, and its 1000 inserts alone, through the station's own
// account on a centre with its triggers and system-versioned tables (guarded) and on the same
// schema without them (bare). Every iteration runs both, one after the other, so that they see the
// same machine; guarded_x is the guarded time as a multiple of the bare one, the median over the
// iterations. Nothing is deleted: the history of a centre grows only by its lost batches.
//
// Run by hand: build/bench/centre-guards-benchmark

#include <benchmark/benchmark.h>

#include <QApplication>
#include <algorithm>
#include <chrono>
#include <memory>
#include <vector>

#include "StationBenchmark.h"
#include "admin/Schema.h"
#include "admin/StationAccounts.h"
#include "database/Connection.h"
#include "database/Recordset.h"
#include "images/ImageNames.h"
#include "support/MariaDbTestServer.h"
#include "support/OdbcUserFile.h"
#include "support/TestStation.h"

namespace {

constexpr qint32 kImages = 1000;

// A centre's database made by the provisioning code; the bare one then loses its triggers and
// its history. Station 3's account may do on it what a station does.
QString StationThreeOn(const QString& database, bool guarded) {
    MariaDbTestServer& server = MariaDbTestServer::Instance();
    server.RunAsAdministrator(QStringLiteral("CREATE DATABASE %1; CREATE USER IF NOT EXISTS "
                                             "'station3'@'%' IDENTIFIED BY 'bench3';")
                                  .arg(database));
    Connection administrator;
    administrator.Open(server.AdministratorConnectString() + QStringLiteral("DATABASE=") +
                       database);
    CreateSchema(administrator);
    administrator.Execute(QStringLiteral("INSERT INTO Users VALUES ('demo', 'demo', 1)"));
    if (!guarded) {
        // Every guard: those keeping the station to its own rows and to its open batches.
        QStringList guards;
        Recordset triggers;
        triggers.Open(QStringLiteral("SELECT TRIGGER_NAME AS v FROM information_schema.TRIGGERS "
                                     "WHERE TRIGGER_SCHEMA = DATABASE() AND (TRIGGER_NAME LIKE "
                                     "'%Station%' OR TRIGGER_NAME LIKE '%Closed%')"),
                      administrator);
        for (; !triggers.Eof(); triggers.MoveNext()) {
            guards << triggers.Fields(QStringLiteral("v")).Value().toString();
        }
        triggers.Close();
        for (const QString& trigger : guards) {
            administrator.Execute(QStringLiteral("DROP TRIGGER ") + trigger);
        }
        for (const char* table : {"Batches", "BallotImages", "ImageSeals"}) {
            administrator.Execute(
                QStringLiteral("ALTER TABLE %1 DROP SYSTEM VERSIONING").arg(table));
        }
    }
    for (const TablePrivileges& table : StationPrivileges()) {
        administrator.Execute(QStringLiteral("GRANT %1 ON %2.%3 TO 'station3'@'%'")
                                  .arg(table.privileges.join(u','), database, table.table));
    }
    const QString name = QStringLiteral("Bench") + database;
    PrivateOdbcIniFile();
    AddUserDataSource(name, {{"Driver", "MariaDB Unicode"},
                             {"SERVER", "127.0.0.1"},
                             {"PORT", QString::number(server.Port())},
                             {"DATABASE", database},
                             {"USER", "station3"},
                             {"PASSWORD", "bench3"},
                             {"OPTION", "2"}});
    return name;
}

// Station 3 on the database, with batch 7 scanned and its ender card read.
std::unique_ptr<TestStation> ScannedBatch(const QString& database, bool guarded) {
    auto station = std::make_unique<TestStation>(
        std::make_unique<TestDataSource>(QStringLiteral("MariaDB"),
                                         StationThreeOn(database, guarded), nullptr),
        TestStation::Scanner::Fake);
    ScanBatchSeven(*station, kImages, {{"ballot", "--marks", "1,5,9"}});
    return station;
}

double Seconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

struct Centres {
    std::unique_ptr<TestStation> bare = ScannedBatch(QStringLiteral("bench_bare"), false);
    std::unique_ptr<TestStation> guarded = ScannedBatch(QStringLiteral("bench_guarded"), true);
};

// Made at first use; gone before the application object.
std::unique_ptr<Centres>& TheCentres() {
    static std::unique_ptr<Centres> centres;
    if (!centres) {
        centres = std::make_unique<Centres>();
    }
    return centres;
}

// Runs `work` on the bare centre's station and on the guarded one's, each time for a batch
// number not used before, as a centre meets them, and in turn one or the other first. Reports
// both times and their ratio.
template <typename Work>
void BareThenGuarded(benchmark::State& state, Work work) {
    static qint16 batchNo = 7;
    double seconds[2] = {0, 0};
    // Other programs on the machine slow one pass or the other now and then: the median of the
    // iterations' ratios passes over them.
    std::vector<double> ratios;
    for (auto _ : state) {
        ++batchNo;
        const bool guardedFirst = batchNo % 2 == 0;
        double pass[2] = {0, 0};
        for (const bool guarded : {guardedFirst, !guardedFirst}) {
            TestStation& station = guarded ? *TheCentres()->guarded : *TheCentres()->bare;
            station.Batch().CurrentBatch = batchNo;
            const double start = Seconds();
            if (!work(station)) {
                state.SkipWithError("the batch was not stored");
            }
            pass[guarded ? 1 : 0] = Seconds() - start;
        }
        seconds[0] += pass[0];
        seconds[1] += pass[1];
        ratios.push_back(pass[1] / pass[0]);
    }
    std::sort(ratios.begin(), ratios.end());
    const double n = static_cast<double>(state.iterations());
    state.counters["bare_ms"] = seconds[0] / n * 1000;
    state.counters["guarded_ms"] = seconds[1] / n * 1000;
    state.counters["guarded_x"] = ratios[ratios.size() / 2];
}

void StoragePass(benchmark::State& state) {
    BareThenGuarded(state, [](TestStation& station) {
        return station.window->StoreScannedBatchIntoDatabase() &&
               station.Batch().BallotCount == kImages - 2;
    });
}

void Inserting(benchmark::State& state) {
    BareThenGuarded(state, [](TestStation& station) {
        Connection connection;
        connection.Open(station.window->SQLCONNECTSTR);
        for (qint32 i = 0; i < kImages; ++i) {
            connection.Execute(
                QStringLiteral("INSERT INTO BallotImages(SystemID,BatchNo,ImageSeq,BallotSN,"
                               "Status,Error) VALUES (3,%1,%2,'%3',0,0)")
                    .arg(station.Batch().CurrentBatch)
                    .arg(i)
                    .arg(ImageSerial(3, 7, i)));
        }
        return true;
    });
}

}  // namespace

int main(int argc, char** argv) {
    const std::unique_ptr<QApplication> application = StationApplication(argc, argv);
    benchmark::RegisterBenchmark("StoragePass/BareThenGuarded", StoragePass)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Iterations(15);
    benchmark::RegisterBenchmark("Inserting/BareThenGuarded", Inserting)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Iterations(15);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    TheCentres().reset();
    return 0;
}
