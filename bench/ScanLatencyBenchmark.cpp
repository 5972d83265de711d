// The window's event-loop latency while a slow SANE scanner (the test backend, its reads
// delayed) delivers the pages of a run: for each page, the loop's longest pause between the
// page's start and its end, beside the time the page took to read, the floor that a read on the
// loop's thread would pause it for. Prints the median and the longest over the pages.
//
// Run by hand: build/bench/scan-latency-benchmark [pages]
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "support/PageReadPauses.h"
#include "support/TestScanner.h"

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const int pages = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    QTemporaryDir config;
    QFile dll(QDir(config.path()).filePath("dll.conf"));
    QFile test(QDir(config.path()).filePath("test.conf"));
    if (!dll.open(QIODevice::WriteOnly) || !test.open(QIODevice::WriteOnly)) {
        return 1;
    }
    dll.write("test\n");
    test.write("number_of_devices 1\ngeometry_min 0.0\ngeometry_max 500.0\n");
    dll.close();
    test.close();
    setenv("SANE_CONFIG_DIR", QFile::encodeName(config.path()).constData(), 1);

    TestScanner station(
        QStringLiteral("Source = sane\nDevice = test:0\nFeederSource = Automatic Document Feeder\n"
                       "Option.mode = Gray\nOption.depth = 8\nOption.resolution = 100\n"
                       "Option.read-limit = yes\nOption.read-limit-size = 4096\n"
                       "Option.read-delay = yes\nOption.read-delay-duration = 200000\n"));
    station.startUp();
    PageReadPauses pauses(station.KScan1);
    QList<qint64> pause;
    QList<qint64> page;
    bool ended = false;
    QObject::connect(&station.KScan1, &KScan::event12, [&] {
        station.KScan1.write(KScan::OutputFile, QDir(station.path("intray")).filePath("page.tif"));
    });
    QObject::connect(&station.KScan1, &KScan::event14, [&](qint32, qint32) {
        pause.append(pauses.LongestPause());
        page.append(pauses.PageMilliseconds());
        if (pause.size() == pages) {
            station.KScan1.write(KScan::Action, qint32(KScan::StopFeeding));
        }
    });
    QObject::connect(&station.KScan1, &KScan::event15, [&](qint16&, QString&) { ended = true; });
    station.startRun(false);
    while (!ended && station.KScan1.read(KScan::Feeding) != PropertyValue(false)) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    if (pause.isEmpty()) {
        std::puts("no page was read");
        return 1;
    }
    std::sort(pause.begin(), pause.end());
    std::sort(page.begin(), page.end());
    const qint64 median = pause[pause.size() / 2];
    const qint64 pageMedian = page[page.size() / 2];
    std::printf(
        "pages %lld  page read median %lld ms (floor)  loop pause median %lld ms  "
        "longest %lld ms  x_floor %.3f\n",
        static_cast<long long>(pause.size()), static_cast<long long>(pageMedian),
        static_cast<long long>(median), static_cast<long long>(pause.last()),
        static_cast<double>(median) / static_cast<double>(pageMedian));
    return 0;
}
