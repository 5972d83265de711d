// station-soak: stations scanning side by side on one MariaDB server, each its own process
// running the station's batch cycle headless, then what the centre's database must hold; and
// the same with the server killed in the middle of storage passes and started again.
//
//   station-soak [--stations N[,N...]] [--batches M] [--sheets S] [--kills K]
//   station-soak --short    two stations, two batches of four ballots each, without and with a
//                           kill per station: the invariants, as the test command runs it
//
// It prints the sheets stored per second across the stations for each number of stations, and
// exits with 1 when an invariant is broken or a station fails.

#include <QApplication>
#include <QCommandLineParser>
#include <cstdio>
#include <exception>

#include "SoakCentre.h"
#include "SoakStation.h"

namespace {

int StationMain(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QCommandLineParser parser;
    parser.addPositionalArgument("station", "run one station");
    for (const char* name : {"system-id", "batches", "sheets", "hold-at"}) {
        parser.addOption({name, name, "value"});
    }
    parser.process(application);
    SoakStationRun run;
    run.systemId = parser.value("system-id").toInt();
    run.batches = parser.value("batches").toInt();
    run.sheets = parser.value("sheets").toInt();
    for (const QString& batch : parser.value("hold-at").split(u',', Qt::SkipEmptyParts)) {
        run.holdAt << batch.toInt();
    }
    return RunSoakStation(run);
}

bool Report(const SoakRun& run, const SoakResult& result) {
    std::printf(
        "%2d stations x %d batches x %d ballots, %d kills asked, %d made: %lld sheets in %.1f s "
        "= %.1f sheets/s; %d batches lost and scanned again\n  %s\n",
        run.stations, run.batches, run.sheets, run.kills, result.kills,
        static_cast<long long>(result.sheetsStored), result.seconds,
        result.sheetsStored / result.seconds, result.batchesLost,
        qPrintable(result.audit.Summary()));
    for (const QString& fault : result.faults) {
        std::printf("  FAULT: %s\n", qPrintable(fault));
    }
    std::fflush(stdout);
    return result.faults.isEmpty();
}

int CentreMain(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOption({"stations", "numbers of stations, comma-separated", "N", "1,4,8,16"});
    parser.addOption({"batches", "batches per station", "M", "5"});
    parser.addOption({"sheets", "ballots per batch", "S", "50"});
    parser.addOption({"kills", "server kills, each in a storage pass", "K", "0"});
    parser.addOption({"short", "the short run of the test command"});
    parser.process(application);

    QList<SoakRun> runs;
    if (parser.isSet("short")) {
        runs = {{2, 2, 4, 0}, {2, 2, 4, 2}};
    } else {
        for (const QString& stations : parser.value("stations").split(u',')) {
            runs.append({stations.toInt(), parser.value("batches").toInt(),
                         parser.value("sheets").toInt(), parser.value("kills").toInt()});
        }
    }
    bool sound = true;
    for (const SoakRun& run : runs) {
        sound = Report(run, RunSoak(run, QCoreApplication::applicationFilePath())) && sound;
    }
    return sound ? 0 : 1;
}

}  // namespace

int main(int argc, char* argv[]) {
    try {
        if (argc > 1 && qstrcmp(argv[1], "station") == 0) {
            return StationMain(argc, argv);
        }
        return CentreMain(argc, argv);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "station-soak: %s\n", error.what());
        return 1;
    }
}
