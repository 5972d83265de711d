// One database operation as the station runs it: its own connection opened, one
// single-row INSERT, the connection closed.

#include <benchmark/benchmark.h>

#include <QCoreApplication>

#include "database/Connection.h"
#include "support/TestDataSource.h"

namespace {

void OwnConnectionInsert(benchmark::State& state, const char* kind) {
    const std::unique_ptr<TestDataSource> source = MakeDataSource(QString::fromLatin1(kind));
    int sequence = 0;
    for (auto _ : state) {
        Connection connection;
        connection.Open(source->ConnectString());
        connection.Execute(QStringLiteral("INSERT INTO BallotImages(SystemID,BatchNo,ImageSeq,"
                                          "BallotSN,Status,Error) VALUES (3,7,%1,'%2',0,0)")
                               .arg(sequence)
                               .arg(300700000 + sequence));
        connection.Close();
        ++sequence;
    }
    state.counters["operations/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

BENCHMARK_CAPTURE(OwnConnectionInsert, SQLite, "SQLite")->UseRealTime();
BENCHMARK_CAPTURE(OwnConnectionInsert, MariaDB, "MariaDB")->UseRealTime();

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
