// The storage pass over a batch of 1000 images (a header card, 998 ballots, an ender card) on
// SQLite and on MariaDB, in images per second of wall time, since the pass reads on every core:
// the whole pass, and its two halves apart, the library's reads of the batch's files one after
// the other on one thread and the inserts of its rows on one connection. Each pass is followed
// by the reads alone, so both see the same machine load: floor_per_s is their rate, x_floor the
// pass's time as a multiple of theirs.
//
// What sealing costs the pass: SealingCost runs the pass with the images' seals checked and
// stored and without, one after the other in each iteration, and the sealing work alone; it
// gives both times, their ratios and the cost per image.
//
// CentreSize: what ImageFiles takes on MariaDB for the batch's 1000 images.
//
// ImageBytes: the bytes of the batch's images inserted bound as values, as the pass does, and spelt
// out as hexadecimal literals in the statements.
//
// What keeping the images' bytes at the centre costs the pass in memory: PeakMemory runs the pass
// with the bytes stored and without, the process's peak resident size reset before each (Linux
// clear_refs), and gives how far each pass raised it above the size it started from.
//
// Run by hand: build/bench/storage-benchmark

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QStringList>
#include <algorithm>
#include <chrono>
#include <ctime>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "StationBenchmark.h"
#include "database/Connection.h"
#include "images/ImageNames.h"
#include "images/ImageSeal.h"
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

// The stations go before the application object that their windows need.
std::map<QString, std::unique_ptr<TestStation>>& Stations() {
    static std::map<QString, std::unique_ptr<TestStation>> stations;
    return stations;
}

// Ballots printed as real ones are, with speckle: images of 50 to 80 KB, where those above take
// a few.
const QList<QStringList> kPrintedBallots = {
    {"ballot", "--printed", "7", "--noise", "3", "--marks", "1,5,9"},
    {"ballot", "--printed", "8", "--noise", "4", "--marks", "2,50", "--skew", "2"},
};

// A station of the given database kind with batch 7 scanned, its ender card read and the seal of
// each image kept; of the printed ballots, on a station of its own.
TestStation& ScannedBatch(const char* kind, bool printed = false) {
    std::unique_ptr<TestStation>& station =
        Stations()[QString::fromLatin1(kind) + (printed ? QStringLiteral("/printed") : QString())];
    if (station) {
        return *station;
    }
    station = std::make_unique<TestStation>(QLatin1StringView(kind), TestStation::Scanner::Fake);
    ScanBatchSeven(*station, kImages, printed ? kPrintedBallots : kBallots);
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
    station.Execute(QStringLiteral("DELETE FROM ImageFiles"));
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

// The seconds of a pass with the images sealed or not, on the wall clock and of the process's
// processor time (every thread's), which the load of other processes disturbs far less.
struct PassSeconds {
    double wall;
    double cpu;
};

double ProcessCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

PassSeconds TimedPass(TestStation& station, bool sealed, benchmark::State& state) {
    RemoveRows(station);
    station.Batch().SealImages = sealed;
    const double start = Seconds();
    const double cpuStart = ProcessCpuSeconds();
    if (!station.window->StoreScannedBatchIntoDatabase()) {
        state.SkipWithError("the batch was not stored");
    }
    const PassSeconds seconds{Seconds() - start, ProcessCpuSeconds() - cpuStart};
    station.Batch().SealImages = true;
    return seconds;
}

// What sealing adds, alone, on this thread: every image checked against its seal, and the seal
// rows inserted as the pass inserts them.
double SealingWork(TestStation& station, benchmark::State& state) {
    station.Execute(QStringLiteral("DELETE FROM ImageSeals"));
    const BatchState& batch = station.Batch();
    Connection connection;
    connection.Open(station.window->SQLCONNECTSTR);
    const double start = Seconds();
    QStringList values;
    for (qint32 i = 0; i < kImages; ++i) {
        const QString file = ImageFile(batch.BatchFolder, ImageSerial(3, 7, i));
        if (SealOfFile(QFile::encodeName(file).toStdString()) != batch.ImageSeals[i]) {
            state.SkipWithError("an image does not match its seal");
        }
        values << QStringLiteral("(3,7,%1,%2,'%3')")
                      .arg(i)
                      .arg(batch.BatchImages[i].Serial)
                      .arg(QLatin1StringView(batch.ImageSeals[i]));
        if (values.size() == 500) {
            connection.Execute(
                QStringLiteral(
                    "INSERT INTO ImageSeals(SystemID,BatchNo,ImageSeq,BallotSN,SHA256) VALUES ") +
                std::exchange(values, {}).join(u','));
        }
    }
    return Seconds() - start;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

double Least(const std::vector<double>& values) {
    return *std::min_element(values.begin(), values.end());
}

// Each iteration a sealed pass beside an unsealed one, and the sealing work alone. The ratios:
// x_unsealed of the medians of the iterations' wall-clock ratios, x_least of the least wall
// times, x_cpu of the medians of the processor-time ratios; work_us_per_image the least time of
// the sealing work alone, x_work the least unsealed pass with that work added to it.
void SealingCost(benchmark::State& state, const char* kind) {
    TestStation& station = ScannedBatch(kind);
    std::vector<double> sealed;
    std::vector<double> unsealed;
    std::vector<double> ratios;
    std::vector<double> cpuRatios;
    std::vector<double> work;
    for (auto _ : state) {
        // Turn about, so that neither form always runs on a warmer cache.
        const bool sealedFirst = sealed.size() % 2 == 0;
        const PassSeconds first = TimedPass(station, sealedFirst, state);
        const PassSeconds second = TimedPass(station, !sealedFirst, state);
        const PassSeconds& with = sealedFirst ? first : second;
        const PassSeconds& without = sealedFirst ? second : first;
        sealed.push_back(with.wall);
        unsealed.push_back(without.wall);
        ratios.push_back(with.wall / without.wall);
        cpuRatios.push_back(with.cpu / without.cpu);
        work.push_back(SealingWork(station, state));
    }
    state.counters["sealed_ms"] = Median(sealed) * 1e3;
    state.counters["unsealed_ms"] = Median(unsealed) * 1e3;
    state.counters["x_unsealed"] = Median(ratios);
    state.counters["x_least"] = Least(sealed) / Least(unsealed);
    state.counters["x_cpu"] = Median(cpuRatios);
    state.counters["work_us_per_image"] = Least(work) / kImages * 1e6;
    state.counters["x_work"] = (Least(unsealed) + Least(work)) / Least(unsealed);
}

// A line of /proc/self/status in megabytes, e.g. "VmHWM", the peak resident size.
double StatusMegabytes(const char* name) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(name)) {
            return line.mid(line.indexOf(':') + 1).trimmed().split(' ').front().toDouble() / 1024;
        }
    }
    return -1;
}

// How far a pass raises the peak resident size above the size before it, in megabytes.
double PeakGrowth(TestStation& station, bool kept, benchmark::State& state) {
    RemoveRows(station);
    station.Batch().KeepImagesAtCentre = kept;
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (!clear.open(QIODevice::WriteOnly) || clear.write("5") != 1) {
        state.SkipWithError("the peak resident size cannot be reset here");
    }
    clear.close();
    const double before = StatusMegabytes("VmRSS");
    if (!station.window->StoreScannedBatchIntoDatabase()) {
        state.SkipWithError("the batch was not stored");
    }
    station.Batch().KeepImagesAtCentre = true;
    return StatusMegabytes("VmHWM") - before;
}

void PeakMemory(benchmark::State& state, const char* kind) {
    TestStation& station = ScannedBatch(kind, true);
    std::vector<double> kept;
    std::vector<double> without;
    for (auto _ : state) {
        kept.push_back(PeakGrowth(station, true, state));
        without.push_back(PeakGrowth(station, false, state));
    }
    state.counters["kept_mb"] = Median(kept);
    state.counters["without_mb"] = Median(without);
    state.counters["image_mb"] =
        static_cast<double>(
            QFile(ImageFile(station.Batch().BatchFolder, ImageSerial(3, 7, 1))).size()) /
        (1 << 20);
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

// The batch's image bytes inserted in one transaction, bound as values or spelt out in the
// statements as hexadecimal literals.
void ImageBytes(benchmark::State& state, const char* kind, bool bound) {
    TestStation& station = ScannedBatch(kind, true);
    QList<QByteArray> images;
    for (qint32 i = 0; i < kImages; ++i) {
        QFile file(ImageFile(station.Batch().BatchFolder, ImageSerial(3, 7, i)));
        images << (file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray());
    }
    Connection connection;
    connection.Open(station.window->SQLCONNECTSTR);
    const QString insert = QStringLiteral(
        "INSERT INTO ImageFiles(SystemID,BatchNo,ImageSeq,SHA256,ImageData) VALUES ");
    qint64 bytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        station.Execute(QStringLiteral("DELETE FROM ImageFiles"));
        state.ResumeTiming();
        connection.BeginTrans();
        for (qint32 i = 0; i < kImages; ++i) {
            if (bound) {
                connection.Execute(insert + QStringLiteral("(?,?,?,CAST(? AS CHAR(64)),?)"),
                                   {3, 7, i, QByteArray("s"), images[i]});
            } else {
                connection.Execute(insert + QStringLiteral("(3,7,%1,'s',X'%2')")
                                                .arg(i)
                                                .arg(QLatin1StringView(images[i].toHex())));
            }
            bytes += images[i].size();
        }
        connection.CommitTrans();
    }
    state.SetItemsProcessed(state.iterations() * kImages);
    state.SetBytesProcessed(bytes);
    // What the last iteration left in the table, against what it was given.
    state.counters["stored_mb"] =
        station.Query(QStringLiteral("SELECT SUM(LENGTH(ImageData)) AS v FROM ImageFiles"))
            .toDouble() /
        (1 << 20);
    state.counters["given_mb"] = static_cast<double>(bytes) / state.iterations() / (1 << 20);
}

// What the centre's ImageFiles table takes for a batch of 1000 images stored by the pass, in
// megabytes: the table's pages (data_mb, after ANALYZE TABLE) and the images' bytes themselves
// (bytes_mb); of demo ballots, and of printed ones.
void CentreSize(benchmark::State& state, bool printed) {
    TestStation& station = ScannedBatch("MariaDB", printed);
    const auto megabytes = [&station](const char* query) {
        return station.Query(QLatin1StringView(query)).toDouble() / (1 << 20);
    };
    for (auto _ : state) {
        RemoveRows(station);
        if (!station.window->StoreScannedBatchIntoDatabase()) {
            state.SkipWithError("the batch was not stored");
        }
        station.Execute(QStringLiteral("ANALYZE TABLE ImageFiles"));
    }
    state.counters["data_mb"] = megabytes(
        "SELECT DATA_LENGTH + INDEX_LENGTH AS v FROM information_schema.TABLES WHERE "
        "TABLE_SCHEMA = DATABASE() AND TABLE_NAME = 'imagefiles'");
    state.counters["bytes_mb"] = megabytes("SELECT SUM(LENGTH(ImageData)) AS v FROM ImageFiles");
    state.counters["rows"] =
        station.Query(QStringLiteral("SELECT Count(*) AS v FROM ImageFiles")).toDouble();
}

}  // namespace

int main(int argc, char** argv) {
    const std::unique_ptr<QApplication> application = StationApplication(argc, argv);
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
        benchmark::RegisterBenchmark(("PeakMemory/" + name).c_str(), PeakMemory, kind)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->Iterations(3);
        for (const bool bound : {true, false}) {
            benchmark::RegisterBenchmark(
                ("ImageBytes/" + name + (bound ? "/bound" : "/hex")).c_str(), ImageBytes, kind,
                bound)
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime()
                ->Iterations(3);
        }
        benchmark::RegisterBenchmark(("Reading/" + name).c_str(), Reading, kind)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->Iterations(3);
        benchmark::RegisterBenchmark(("Inserting/" + name).c_str(), Inserting, kind)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->Iterations(3);
    }
    for (const bool printed : {false, true}) {
        benchmark::RegisterBenchmark(printed ? "CentreSize/MariaDB/printed" : "CentreSize/MariaDB",
                                     CentreSize, printed)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->Iterations(1);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    Stations().clear();
    return 0;
}
