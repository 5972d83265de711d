// What the audit log costs the station: one record appended and synced to the disk, and the log
// that a batch of 300 sheets leaves, scanned on the real disk-import scanner in three feeder
// loads of 100 sheets into SQLite (counters: bytes and records of the batch's part of the log);
// and what sealing the images, and keeping their bytes at the centre, cost the same batch.
//
// Run by hand: build/bench/audit-benchmark

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "StationBenchmark.h"
#include "audit/AuditLog.h"
#include "audit/AuditLogFile.h"
#include "support/ShippedCentreServer.h"
#include "support/TestStation.h"

namespace {

constexpr int kSheets = 300;
constexpr int kFeederLoad = 100;

void AppendOneRecord(benchmark::State& state) {
    QTemporaryDir folder;
    AuditLog log(folder.filePath(QStringLiteral("audit.jsonl")));
    log.SetStation(3);
    log.SetOperator(QStringLiteral("demo"));
    for (auto _ : state) {
        if (!log.Append(QStringLiteral("scanner-run-stopped"),
                        {{"batch", 7}, {"images", 101}, {"cause", "operator"}})) {
            state.SkipWithError("the record was not written");
        }
    }
    state.SetItemsProcessed(state.iterations());
}

QString MadeSheet(const QTemporaryDir& folder, const QString& name, const QStringList& args) {
    const QString path = folder.filePath(name);
    if (QProcess::execute(QStringLiteral(MAKE_SHEET_TOOL), args + QStringList{path}) != 0) {
        throw std::runtime_error("lhdll-make-sheet failed");
    }
    return path;
}

void Wait(benchmark::State& state, const std::function<bool()>& done) {
    if (!QTest::qWaitFor(done, 600000)) {
        state.SkipWithError("the station did not finish in time");
    }
}

double Seconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The header card, a ballot and the ender card, made once.
struct Sheets {
    QTemporaryDir folder;
    QString header =
        MadeSheet(folder, QStringLiteral("header.tif"), {"header", "--type", "-6", "--batch", "7"});
    QString ballot = MadeSheet(folder, QStringLiteral("ballot.tif"), {"ballot", "--marks", "1,5"});
    QString ender = MadeSheet(folder, QStringLiteral("ender.tif"), {"ender"});
};

struct BatchSeconds {
    double scanning = 0;  // the header card and the three feeder loads
    double ending = 0;    // End Batch: the ender card and the storage pass
};

// Batch 7 of 300 sheets in three feeder loads, on the station's real disk-import scanner.
BatchSeconds Scan300SheetBatch(benchmark::State& state, TestStation& station,
                               const Sheets& sheets) {
    VrelScan& window = *station.window;
    BatchSeconds seconds;
    const double start = Seconds();
    QFile::copy(sheets.header, station.CardSlot() + QStringLiteral("card.tif"));
    window.cmdStartBatch->click();
    for (int fed = 0; fed < kSheets;) {
        for (int i = 0; i < kFeederLoad; ++fed, ++i) {
            QFile::copy(sheets.ballot,
                        station.Feeder() + QStringLiteral("%1.tif").arg(fed, 6, 10, QChar(u'0')));
        }
        window.cmdStartScanner->click();
        Wait(state, [&] { return window.cmdStartScanner->isEnabled(); });
    }
    const double scanned = Seconds();
    QFile::copy(sheets.ender, station.CardSlot() + QStringLiteral("card.tif"));
    station.dialogs.answers = {Dialogs::Answer::OK};
    window.cmdEndBatch->click();
    seconds.scanning = scanned - start;
    seconds.ending = Seconds() - scanned;
    if (station.BatchRow(7) != QStringLiteral("302 300 closed")) {
        state.SkipWithError("the batch was not closed with its 300 ballots");
    }
    return seconds;
}

void LogOf300SheetBatch(benchmark::State& state) {
    const Sheets sheets;
    for (auto _ : state) {
        state.PauseTiming();
        TestStation station(QStringLiteral("SQLite"), TestStation::Scanner::DiskImport);
        station.Start();
        const qint64 bytesBefore = QFileInfo(station.AuditLogFile()).size();
        const qsizetype recordsBefore = audit::ReadAuditLog(station.AuditLogFile()).size();
        state.ResumeTiming();

        Scan300SheetBatch(state, station, sheets);

        state.PauseTiming();
        state.counters["bytes"] = double(QFileInfo(station.AuditLogFile()).size() - bytesBefore);
        state.counters["records"] =
            double(audit::ReadAuditLog(station.AuditLogFile()).size() - recordsBefore);
        state.ResumeTiming();
    }
}

// What sealing costs a 300-sheet batch: the batch scanned and ended with the images sealed and
// without, turn about, each on a new station; the time per sheet scanned and End Batch's time
// (the storage pass), with their ratios to the unsealed batch; on SQLite and on MariaDB.
double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// Medians over the iterations, each a sealed batch beside an unsealed one.
void SealingOf300SheetBatch(benchmark::State& state, const char* kind) {
    const Sheets sheets;
    std::map<bool, std::vector<double>> scanning;
    std::map<bool, std::vector<double>> ending;
    std::vector<double> sheetRatios;
    std::vector<double> endRatios;
    for (auto _ : state) {
        // Turn about, so that neither form always runs first.
        const bool sealedFirst = sheetRatios.size() % 2 == 0;
        for (const bool sealing : {sealedFirst, !sealedFirst}) {
            TestStation station(QLatin1StringView(kind), TestStation::Scanner::DiskImport);
            station.Start();
            station.Batch().SealImages = sealing;
            const BatchSeconds batch = Scan300SheetBatch(state, station, sheets);
            scanning[sealing].push_back(batch.scanning);
            ending[sealing].push_back(batch.ending);
        }
        sheetRatios.push_back(scanning[true].back() / scanning[false].back());
        endRatios.push_back(ending[true].back() / ending[false].back());
    }
    state.counters["sheet_ms"] = Median(scanning[true]) / kSheets * 1e3;
    state.counters["sheet_ms_unsealed"] = Median(scanning[false]) / kSheets * 1e3;
    state.counters["x_sheet"] = Median(sheetRatios);
    state.counters["end_ms"] = Median(ending[true]) * 1e3;
    state.counters["end_ms_unsealed"] = Median(ending[false]) * 1e3;
    state.counters["x_end"] = Median(endRatios);
}

// The centre's database: of the tests' kinds, or on a server run as the centre's shipped
// configuration runs it, over TLS.
std::unique_ptr<TestDataSource> CentreOfKind(const char* kind) {
    if (kind == std::string_view("MariaDBAsShipped")) {
        static const ShippedCentreServer server;
        return server.MakeDataSource();
    }
    return MakeDataSource(QLatin1StringView(kind));
}

// What keeping the images' bytes at the centre costs End Batch of a 300-sheet batch: the batch
// scanned and ended with the bytes stored and without (the same pass, one transaction, seals
// stored, the bytes' insert left out), turn about, each on a new station; medians over the
// iterations.
void ImagesAtCentreOf300SheetBatch(benchmark::State& state, const char* kind) {
    const Sheets sheets;
    std::map<bool, std::vector<double>> ending;
    std::vector<double> ratios;
    for (auto _ : state) {
        const bool keptFirst = ratios.size() % 2 == 0;
        for (const bool kept : {keptFirst, !keptFirst}) {
            TestStation station(CentreOfKind(kind), TestStation::Scanner::DiskImport);
            station.Start();
            station.Batch().KeepImagesAtCentre = kept;
            ending[kept].push_back(Scan300SheetBatch(state, station, sheets).ending);
        }
        ratios.push_back(ending[true].back() / ending[false].back());
    }
    state.counters["end_ms"] = Median(ending[true]) * 1e3;
    state.counters["end_ms_without"] = Median(ending[false]) * 1e3;
    state.counters["x_end"] = Median(ratios);
}

}  // namespace

int main(int argc, char** argv) {
    const std::unique_ptr<QApplication> application = StationApplication(argc, argv);
    benchmark::RegisterBenchmark("AppendOneRecord", AppendOneRecord)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("LogOf300SheetBatch", LogOf300SheetBatch)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1);
    for (const char* kind : {"SQLite", "MariaDB"}) {
        benchmark::RegisterBenchmark((std::string("SealingOf300SheetBatch/") + kind).c_str(),
                                     SealingOf300SheetBatch, kind)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->Iterations(6);
    }
    for (const char* kind : {"SQLite", "MariaDB", "MariaDBAsShipped"}) {
        benchmark::RegisterBenchmark((std::string("ImagesAtCentreOf300SheetBatch/") + kind).c_str(),
                                     ImagesAtCentreOf300SheetBatch, kind)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->Iterations(6);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
