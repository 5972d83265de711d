// What the audit log costs the station: one record appended and synced to the disk, and the log
// that a batch of 300 sheets leaves, scanned on the real disk-import scanner in three feeder
// loads of 100 sheets into SQLite (counters: bytes and records of the batch's part of the log).
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
#include <cstdlib>

#include "audit/AuditLog.h"
#include "audit/AuditLogFile.h"
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

void LogOf300SheetBatch(benchmark::State& state) {
    QTemporaryDir sheets;
    const QString header =
        MadeSheet(sheets, QStringLiteral("header.tif"), {"header", "--type", "-6", "--batch", "7"});
    const QString ballot =
        MadeSheet(sheets, QStringLiteral("ballot.tif"), {"ballot", "--marks", "1,5"});
    const QString ender = MadeSheet(sheets, QStringLiteral("ender.tif"), {"ender"});
    for (auto _ : state) {
        state.PauseTiming();
        TestStation station(QStringLiteral("SQLite"), TestStation::Scanner::DiskImport);
        VrelScan& window = station.Start();
        const qint64 bytesBefore = QFileInfo(station.AuditLogFile()).size();
        const qsizetype recordsBefore = audit::ReadAuditLog(station.AuditLogFile()).size();
        state.ResumeTiming();

        QFile::copy(header, station.CardSlot() + QStringLiteral("card.tif"));
        window.cmdStartBatch->click();
        for (int fed = 0; fed < kSheets;) {
            for (int i = 0; i < kFeederLoad; ++fed, ++i) {
                QFile::copy(ballot, station.Feeder() +
                                        QStringLiteral("%1.tif").arg(fed, 6, 10, QChar(u'0')));
            }
            window.cmdStartScanner->click();
            Wait(state, [&] { return window.cmdStartScanner->isEnabled(); });
        }
        QFile::copy(ender, station.CardSlot() + QStringLiteral("card.tif"));
        station.dialogs.answers = {Dialogs::Answer::OK};
        window.cmdEndBatch->click();

        state.PauseTiming();
        if (station.BatchRow(7) != QStringLiteral("302 300 closed")) {
            state.SkipWithError("the batch was not closed with its 300 ballots");
        }
        state.counters["bytes"] = double(QFileInfo(station.AuditLogFile()).size() - bytesBefore);
        state.counters["records"] =
            double(audit::ReadAuditLog(station.AuditLogFile()).size() - recordsBefore);
        state.ResumeTiming();
    }
}

}  // namespace

int main(int argc, char** argv) {
    setenv("LINDHOLLOW_LHDLL", LHDLL_LIBRARY, 1);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("VrelScanning"));
    benchmark::RegisterBenchmark("AppendOneRecord", AppendOneRecord)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("LogOf300SheetBatch", LogOf300SheetBatch)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
