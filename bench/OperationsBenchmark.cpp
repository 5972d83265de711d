// Each database operation as the station calls it, with its own connection opened and
// closed, on SQLite and on MariaDB.

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <functional>

#include "database/LHDataAbstraction.h"
#include "support/OperationCalls.h"
#include "support/OperationTestSupport.h"
#include "support/TestDataSource.h"

namespace {

struct Scenario {
    const char* name;
    // Rows in place before the first run.
    std::function<void(const TestDataSource&)> setUp;
    // Rows the run consumes, put back before each run outside the timing.
    std::function<void(const TestDataSource&)> refill;
    std::function<void(const QString& connectString, std::int64_t run)> operation;
};

void AddStatusRow(const TestDataSource& source) {
    ExecuteOn(source,
              "INSERT INTO SystemStatus(SYSTEMID,SYSTEMTYPE,USERID,STATUS,CURRENTTASK) "
              "VALUES (3,1,'jsmith','ONLINE','STANDING BY')");
}

// Closed batches 1 to 11, leaving the open batch 12 the highest.
void AddBatchesOfStation3(const TestDataSource& source) {
    for (int batch = 1; batch <= 11; ++batch) {
        AddBatch(source, 3, batch, false);
    }
}

void AddOpenBatchWithImages(const TestDataSource& source) {
    AddBatch(source, 3, 12, true);
    AddImages(source, std::vector<ImageRow>(10, ImageRow{3, 12, "300120001", 0}));
}

const std::vector<Scenario>& Scenarios() {
    static const std::vector<Scenario> scenarios{
        {"BatchExists",
         AddBatchesOfStation3,
         {},
         [](const QString& c, std::int64_t) { benchmark::DoNotOptimize(BatchExists(c, 3, 12)); }},
        {"GetNextBatchNumber",
         AddBatchesOfStation3,
         {},
         [](const QString& c, std::int64_t) {
             benchmark::DoNotOptimize(GetNextBatchNumber(c, 3));
         }},
        {"CreateBatch",
         {},
         {},
         [](const QString& c, std::int64_t run) {
             // A new batch each time, within the 16-bit numbers.
             CreateBatch(c, static_cast<qint16>(run % 30000 + 1),
                         static_cast<qint16>(run / 30000 + 1), QStringLiteral("jsmith"));
         }},
        {"CloseBatch",
         AddOpenBatchWithImages,
         {},
         [](const QString& c, std::int64_t) { CloseBatch(c, 3, 12, 118, 115); }},
        {"DeleteBatch",
         {},
         AddOpenBatchWithImages,
         [](const QString& c, std::int64_t) { DeleteBatch(c, 3, 12); }},
        {"DeleteOpenBatches", AddBatchesOfStation3, AddOpenBatchWithImages,
         [](const QString& c, std::int64_t) { DeleteOpenBatches(c, 3); }},
        {"StationStatusExists",
         AddStatusRow,
         {},
         [](const QString& c, std::int64_t) {
             benchmark::DoNotOptimize(StationStatusExists(c, 3));
         }},
        {"AddStationStatus",
         {},
         {},
         [](const QString& c, std::int64_t run) {
             benchmark::DoNotOptimize(
                 AddStationStatus(c, static_cast<qint16>(run % 30000), 1, QStringLiteral("jsmith"),
                                  QStringLiteral("ONLINE"), QStringLiteral("STANDING BY")));
         }},
        {"UpdateStationStatus",
         AddStatusRow,
         {},
         [](const QString& c, std::int64_t) {
             UpdateStationStatus(c, 3, QStringLiteral("jsmith"), QStringLiteral("ONLINE"),
                                 QStringLiteral("SCANNING"));
         }},
        {"SetStationOffline",
         AddStatusRow,
         {},
         [](const QString& c, std::int64_t) { SetStationOffline(c, 3); }},
        {"UpdateBatchTallies",
         [](const TestDataSource& source) {
             AddBatch(source, 3, 12, true);
             AddImages(source, ExampleBatchImages());
         },
         {},
         [](const QString& c, std::int64_t) { UpdateBatchTallies(c, 3, 12); }},
    };
    return scenarios;
}

void Run(benchmark::State& state, const Scenario& scenario, const char* kind) {
    const std::unique_ptr<TestDataSource> source = MakeDataSource(QString::fromLatin1(kind));
    if (scenario.setUp) {
        scenario.setUp(*source);
    }
    const QString connectString = source->ConnectString();
    std::int64_t run = 0;
    for (auto _ : state) {
        if (scenario.refill) {
            state.PauseTiming();
            scenario.refill(*source);
            state.ResumeTiming();
        }
        scenario.operation(connectString, run++);
    }
    state.counters["operations/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    for (const char* kind : {"SQLite", "MariaDB"}) {
        for (const Scenario& scenario : Scenarios()) {
            benchmark::RegisterBenchmark(
                (std::string(scenario.name) + "/" + kind).c_str(),
                [&scenario, kind](benchmark::State& state) { Run(state, scenario, kind); })
                ->UseRealTime();
        }
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
