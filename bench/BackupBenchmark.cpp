// lindhollow-backup while the stations store batches, on private MariaDB servers:
//
// 1. The stations' storage pass (End Batch: the ender card, the batch's storage, tallies and
//    closing) while full backups run one after the other, against the same rounds without, the
//    rounds alternating in one run so that both see the same machine load.
// 2. An incremental backup of one 15-minute share of a 20-station centre's work: its time and size.
// 3. The restore of a full backup, incremental ones and the binary logs after them, timed piece by
//    piece and extrapolated to a whole counting day (96 incremental backups).
//
// The work of 15 minutes is scaled down to what two shared cores scan in reasonable time: every
// station stores one batch of kBallots ballots; the report gives the factor to a centre whose
// stations each store kRealBatches batches of kRealBallots ballots in 15 minutes, and the figures
// multiplied by it.
//
// Run by hand: build/bench/backup-benchmark

#include <unistd.h>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <stdexcept>

#include "BackupScript.h"
#include "StationBenchmark.h"
#include "support/ScanningFloor.h"

namespace {

constexpr int kBallots = 20;
constexpr int kRealBatches = 4;
constexpr int kRealBallots = 50;
constexpr int kIncrementals = 3;
constexpr int kDayIncrementals = 96;

BackupRun Must(const BackupRun& run, const char* what) {
    if (run.exitCode != 0) {
        throw std::runtime_error(std::string(what) + " failed: " + run.errors.toStdString());
    }
    return run;
}

double Seconds(const std::function<void()>& work) {
    QElapsedTimer timer;
    timer.start();
    work();
    return timer.elapsed() / 1000.0;
}

// Part 1: the mean End Batch time of rounds without and with a full backup running.
void StorageWhileBackingUp() {
    BackupCentre centre;
    ScanningFloor floor(BackupCentre::Stations(centre.Server()), 4, kBallots);
    floor.ScanRound();
    qint64 milliseconds[2] = {0, 0};
    int batches[2] = {0, 0};
    int backups = 0;
    QProcess take;
    // As the shipped service runs it (Nice=10): the stations come first.
    take.setChildProcessModifier([] { static_cast<void>(nice(10)); });
    for (int round = 0; round < 16; ++round) {
        const int backing = round % 2;
        for (int i = 0; i < floor.Stations(); ++i) {
            if (backing && take.state() == QProcess::NotRunning) {
                centre.Script().Start(take, {"take", "--full"});
                take.waitForStarted();
                ++backups;
            }
            const qint64 before = floor.EndBatchMilliseconds();
            floor.ScanNextBatch(i);
            milliseconds[backing] += floor.EndBatchMilliseconds() - before;
            ++batches[backing];
        }
        take.waitForFinished(600000);
    }
    const double without = double(milliseconds[0]) / batches[0];
    const double with = double(milliseconds[1]) / batches[1];
    std::printf(
        "storage pass: %.0f ms a batch without a backup, %.0f ms while %d full backups ran "
        "(%d batches each); speed while backing up: %.2fx (target >= 0.70x)\n",
        without, with, backups, batches[0], without / with);
}

// Parts 2 and 3.
void IncrementalsAndTheDaysRestore() {
    BackupCentre centre;
    ScanningFloor floor(BackupCentre::Stations(centre.Server()), 20, kBallots);
    Must(centre.Script().Run({"take", "--full"}), "the full backup");
    QString newest;
    double incrementalSeconds = 0;
    qint64 incrementalBytes = 0;
    for (int quarter = 0; quarter < kIncrementals; ++quarter) {
        floor.ScanRound();
        BackupRun taken;
        incrementalSeconds += Seconds([&] {
            taken = Must(centre.Script().Run({"take", "--incremental"}), "an incremental backup");
        });
        newest = taken.output.section(u':', 0, 0);
        incrementalBytes +=
            taken.output.section(u',', 1, 1).trimmed().section(u' ', 0, 0).toLongLong();
    }
    floor.ScanRound();  // after the last backup: only in the binary logs
    const double factor = double(kRealBatches * (kRealBallots + 2)) / (kBallots + 2);
    std::printf(
        "incremental backup of 15 minutes of 20 stations (%d images, 1/%.1f of a real "
        "quarter hour): %.2f s, %.1f MB; scaled: about %.0f s, %.0f MB (image bytes at the "
        "centre come on top)\n",
        20 * (kBallots + 2), factor, incrementalSeconds / kIncrementals,
        incrementalBytes / kIncrementals / 1e6, incrementalSeconds / kIncrementals * factor,
        incrementalBytes / kIncrementals / 1e6 * factor);

    const QString full =
        centre.Script().BackupFolder() + u'/' +
        Must(centre.Script().Run({"list"}), "list").output.section(u'\n', 1, 1).section(u' ', 0, 0);
    // The quickest of three restores, each into a new data folder removed afterwards.
    const auto restore = [&](const QStringList& arguments) {
        double quickest = 1e9;
        for (int run = 0; run < 3; ++run) {
            const QString data = centre.Script().Path(QStringLiteral("restored"));
            quickest = std::min(quickest, Seconds([&] {
                                    Must(centre.Script().Run(QStringList{"restore"} + arguments +
                                                             QStringList{"--datadir", data}),
                                         "a restore");
                                }));
            QDir(data).removeRecursively();
        }
        return quickest;
    };
    const double fullOnly = restore({full});
    const double chain = restore({newest});
    const double replayed =
        restore({centre.Script().BackupFolder(), "--until",
                 BackupCentre::Query(centre.Server().Socket(), "SELECT NOW() + INTERVAL 1 SECOND")
                     .trimmed(),
                 "--binlogs", centre.Server().DataFolder()});
    const double perIncremental = (chain - fullOnly) / kIncrementals;
    const double replay = replayed - chain;
    std::printf(
        "restore: the full backup %.1f s; each incremental one %.2f s more; the binary logs "
        "of one quarter hour %.2f s more\n",
        fullOnly, perIncremental, replay);
    // Much of an incremental backup's cost is fixed (the system tables, the log, the tool's start),
    // so the day is given unscaled (that fixed cost only) and scaled linearly (an upper bound).
    const double day = fullOnly + kDayIncrementals * perIncremental + replay;
    std::printf(
        "a whole day (full + %d incrementals + at most a quarter hour of binary logs): "
        "%.0f s at this scale, at most about %.0f s scaled by %.1f\n",
        kDayIncrementals, day, fullOnly + (kDayIncrementals * perIncremental + replay) * factor,
        factor);
}

}  // namespace

int main(int argc, char* argv[]) {
    const auto application = StationApplication(argc, argv);
    try {
        StorageWhileBackingUp();
        IncrementalsAndTheDaysRestore();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "backup-benchmark: %s\n", error.what());
        return 1;
    }
    return 0;
}
