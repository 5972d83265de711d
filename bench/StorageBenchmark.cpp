// The storage pass over a batch of 1000 images (a header card, 998 ballots, an ender card) on
// SQLite and on MariaDB, in images per second of wall time, since the pass reads on every core:
// the whole pass, and its two halves apart, the library's reads of the batch's files one after
// the other on one thread and the inserts of its rows on one connection. Each pass is followed
// by the reads alone, so both see the same machine load: floor_per_s is their rate, x_floor the
// pass's time as a multiple of theirs.
//
// What sealing costs the pass: SealingCost runs the pass with the images' seals checked and
// stored and without, one after the other in each iteration, and gives both times, their ratio
// and the cost per image.
//
// Run by hand: build/bench/storage-benchmark

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QProcess>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <map>
#include <vector>

#include "database/Connection.h"
#include "database/LHDataAbstraction.h"
#include "scanning/BatchFiles.h"
#include "scanning/ImageNames.h"
#include "scanning/ImageSeal.h"
#include "scanning/LHDLLInterface.h"
#include "support/TestStation.h"

namespace {

constexpr qint32 kImages = 1000;

const QList<QStringList> kBallots = {
    {"ballot", "--marks", "1,5,9,40,96"},
    {"ballot", "--marks", "2,50", "--skew", "-3", "--noise", "7"},
    {"ballot", "--marks", "12", "--skew", "2", "--noise", "8"},
    {"ballot", "--noise", "9"},
};

void MakeSheet(const QStringList& args, const QString& path) {
    if (QProcess::execute(QStringLiteral(MAKE_SHEET_TOOL), args + QStringList{path}) != 0) {
        throw std::runtime_error("lhdll-make-sheet failed");
    }
}

// The stations go before the application object that their windows need.
std::map<QString, std::unique_ptr<TestStation>>& Stations() {
    static std::map<QString, std::unique_ptr<TestStation>> stations;
    return stations;
}

// A station of the given database kind with batch 7 scanned and its ender card read.
TestStation& ScannedBatch(const char* kind) {
    std::unique_ptr<TestStation>& station = Stations()[QLatin1StringView(kind)];
    if (station) {
        return *station;
    }
    station = std::make_unique<TestStation>(QLatin1StringView(kind), TestStation::Scanner::Fake);
    VrelScan& window = station->Start();
    BatchState& batch = station->Batch();
    CreateBatch(window.DSNCONNECTSTR, 7, 3, window.USER_ID);
    batch.CurrentBatch = 7;
    batch.BatchFolder = station->BatchFolder(7);
    PrepareBatchFolder(batch.BatchFolder);
    batch.BatchImages.assign(BatchImagesSize, BatchImage{});
    for (qint32 i = 0; i < kImages; ++i) {
        const QString serial = ImageSerial(3, 7, i);
        batch.BatchImages[i].Serial = serial.toInt();
        const QString file = ImageFile(batch.BatchFolder, serial);
        if (i == 0) {
            MakeSheet({"header", "--type", "-6", "--batch", "7"}, file);
        } else if (i == kImages - 1) {
            MakeSheet({"ender"}, file);
        } else if (i <= kBallots.size()) {
            MakeSheet(kBallots[i - 1], file);
        } else {
            QFile::copy(ImageFile(batch.BatchFolder, ImageSerial(3, 7, 1 + (i - 1) % 4)), file);
        }
        batch.ImageSeals.push_back(SealOfFile(QFile::encodeName(file).toStdString()));
    }
    batch.ImageCounter = kImages;
    return *station;
}

// The library's reads of every image of the batch, one after the other on this thread.
bool ReadEveryImage(const BatchState& batch) {
    ORLAProtocol7TypeDefs::BallotMarks marks{};
    bool read = true;
    for (qint32 i = 0; i < kImages; ++i) {
        const QString file = batch.BatchFolder + QString::number(batch.BatchImages[i].Serial) +
                             QStringLiteral(".tif");
        read = LHDLLInterface::ReadBallotMarks(QFile::encodeName(file).toStdString(), marks) == 0 &&
               read;
    }
    return read;
}

void RemoveRows(TestStation& station) {
    station.Execute(QStringLiteral("DELETE FROM BallotImages"));
    station.Execute(QStringLiteral("DELETE FROM ImageSeals"));
}

double Seconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void StoragePass(benchmark::State& state, const char* kind) {
    TestStation& station = ScannedBatch(kind);
    double passSeconds = 0;
    double readSeconds = 0;
    for (auto _ : state) {
        state.PauseTiming();
        RemoveRows(station);
        state.ResumeTiming();
        const double passStart = Seconds();
        if (!station.window->StoreScannedBatchIntoDatabase() ||
            station.Batch().BallotCount != kImages - 2) {
            state.SkipWithError("the batch was not stored");
        }
        passSeconds += Seconds() - passStart;
        state.PauseTiming();
        const double start = Seconds();
        if (!ReadEveryImage(station.Batch())) {
            state.SkipWithError("an image was not read");
        }
        readSeconds += Seconds() - start;
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kImages);
    const double images = static_cast<double>(state.iterations()) * kImages;
    state.counters["floor_per_s"] = images / readSeconds;
    state.counters["x_floor"] = passSeconds / readSeconds;
}

// One pass with the images sealed or not; its seconds.
double TimedPass(TestStation& station, bool sealed, benchmark::State& state) {
    RemoveRows(station);
    station.Batch().SealImages = sealed;
    const double start = Seconds();
    if (!station.window->StoreScannedBatchIntoDatabase()) {
        state.SkipWithError("the batch was not stored");
    }
    const double seconds = Seconds() - start;
    station.Batch().SealImages = true;
    return seconds;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// Medians over the iterations, each a sealed pass beside an unsealed one, so that a burst of
// load on the machine weighs on one iteration only.
void SealingCost(benchmark::State& state, const char* kind) {
    TestStation& station = ScannedBatch(kind);
    std::vector<double> sealed;
    std::vector<double> unsealed;
    std::vector<double> ratios;
    for (auto _ : state) {
        // Turn about, so that neither form always runs on a warmer cache.
        const bool sealedFirst = sealed.size() % 2 == 0;
        const double first = TimedPass(station, sealedFirst, state);
        const double second = TimedPass(station, !sealedFirst, state);
        sealed.push_back(sealedFirst ? first : second);
        unsealed.push_back(sealedFirst ? second : first);
        ratios.push_back(sealed.back() / unsealed.back());
    }
    state.counters["sealed_ms"] = Median(sealed) * 1e3;
    state.counters["unsealed_ms"] = Median(unsealed) * 1e3;
    state.counters["x_unsealed"] = Median(ratios);
    state.counters["us_per_image"] = (Median(sealed) - Median(unsealed)) / kImages * 1e6;
}

void Reading(benchmark::State& state, const char* kind) {
    const BatchState& batch = ScannedBatch(kind).Batch();
    for (auto _ : state) {
        if (!ReadEveryImage(batch)) {
            state.SkipWithError("an image was not read");
        }
    }
    state.SetItemsProcessed(state.iterations() * kImages);
}

void Inserting(benchmark::State& state, const char* kind) {
    TestStation& station = ScannedBatch(kind);
    Connection connection;
    connection.Open(station.window->SQLCONNECTSTR);
    for (auto _ : state) {
        state.PauseTiming();
        station.Execute(QStringLiteral("DELETE FROM BallotImages"));
        state.ResumeTiming();
        for (qint32 i = 0; i < kImages; ++i) {
            connection.Execute(
                QStringLiteral("INSERT INTO BallotImages(SystemID,BatchNo,ImageSeq,BallotSN,"
                               "Status,Error) VALUES (3,7,%1,'%2',0,0)")
                    .arg(i)
                    .arg(ImageSerial(3, 7, i)));
        }
    }
    state.SetItemsProcessed(state.iterations() * kImages);
}

}  // namespace

int main(int argc, char** argv) {
    setenv("LINDHOLLOW_LHDLL", LHDLL_LIBRARY, 1);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("VrelScanning"));
    for (const char* kind : {"SQLite", "MariaDB"}) {
        const std::string name(kind);
        benchmark::RegisterBenchmark(("StoragePass/" + name).c_str(), StoragePass, kind)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->Iterations(3);
        benchmark::RegisterBenchmark(("SealingCost/" + name).c_str(), SealingCost, kind)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->Iterations(12);
        benchmark::RegisterBenchmark(("Reading/" + name).c_str(), Reading, kind)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->Iterations(3);
        benchmark::RegisterBenchmark(("Inserting/" + name).c_str(), Inserting, kind)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->Iterations(3);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    Stations().clear();
    return 0;
}
