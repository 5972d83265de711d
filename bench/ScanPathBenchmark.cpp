// The per-page cost of the SANE path beside disk import: the same bilevel letter-size sheets at
// 200 dpi fed through the scanner controls, endorsed, each page stored as a Group 4 TIFF file.
// Disk import reads each sheet file and draws the imprint; the SANE path goes through SANE's dll
// backend to our lindhollow backend, which reads the sheet, prints the imprint as the scanner's
// imprinter does and sends it line by line. Disk import is the floor; the SANE path is given as
// a multiple of it. Each path runs three times; the median run counts.
//
// Run by hand: build/bench/scan-path-benchmark [sheets]
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "controls/ControlSequences.h"
#include "scanner/TiffPages.h"
#include "support/LindhollowScanner.h"
#include "support/TestScanner.h"

namespace {

// A ballot-like sheet: white with black bars.
Page Sheet() {
    Page page;
    page.format = Page::Format::Bilevel;
    page.width = 1700;
    page.height = 2200;
    page.pixels.assign(size_t(page.bytesPerLine()) * page.height, 0);
    for (int y = 200; y < 2000; y += 60)
        for (int x = 150; x < 1550; ++x)
            for (int line = 0; line < 8; ++line)
                page.setBlack(x, y + line);
    return page;
}

struct PerPage {
    double wall = -1;  // ms
    double cpu = -1;   // ms of the process, its page-reading threads and the backend included
};

double CpuMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// Per page of one run over `sheets` sheets put into `feeder`.
PerPage MillisecondsPerPage(TestScanner& station, const QString& feeder, int sheets) {
    const Page sheet = Sheet();
    for (int i = 0; i < sheets; ++i)
        writeTiffPage(QFile::encodeName(QDir(feeder).filePath(
                                            QStringLiteral("s%1.tif").arg(i, 4, 10, QChar(u'0'))))
                          .toStdString(),
                      sheet, false);
    int pages = 0;
    bool ended = false;
    QObject::connect(&station.KScan1, &KScan::event12, [&] {
        station.KScan1.write(
            KScan::OutputFile,
            QDir(station.path("intray")).filePath(QStringLiteral("%1.tif").arg(pages)));
    });
    QObject::connect(&station.KScan1, &KScan::event14, [&](qint32, qint32) { ++pages; });
    QObject::connect(&station.KScan1, &KScan::event15, [&](qint16&, QString&) { ended = true; });
    QElapsedTimer clock;
    clock.start();
    const double cpuBefore = CpuMilliseconds();
    station.startRun(true, 1, QStringLiteral("3007"), 1500);
    while (!ended)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const double elapsed = double(clock.nsecsElapsed()) / 1e6;
    const double cpu = CpuMilliseconds() - cpuBefore;
    QObject::disconnect(&station.KScan1, nullptr, nullptr, nullptr);
    if (pages != sheets)
        return {};
    return {elapsed / pages, cpu / pages};
}

// The run of median wall time.
PerPage Median(QList<PerPage> runs) {
    std::sort(runs.begin(), runs.end(),
              [](const PerPage& a, const PerPage& b) { return a.wall < b.wall; });
    return runs[runs.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const int sheets = argc > 1 ? std::max(1, std::atoi(argv[1])) : 40;
    QList<PerPage> disk, sane;
    for (int run = 0; run < 3; ++run) {
        TestScanner diskStation(
            QStringLiteral("Source = disk\nCardSlot = slot\nFeeder = feeder\nOutputTray = tray"));
        diskStation.startUp();
        disk.append(MillisecondsPerPage(diskStation, diskStation.path("feeder"), sheets));

        TestScanner saneStation(
            QStringLiteral("Source = sane\nDevice = %1\nFeederSource = ADF Front\n")
                .arg(LindhollowDevice::name()));
        const LindhollowDevice device(saneStation.dir);
        saneStation.startUp();
        sane.append(MillisecondsPerPage(saneStation, device.feeder(), sheets));
    }
    for (const PerPage& run : disk + sane) {
        if (run.wall < 0) {
            std::puts("a run ended before its last sheet");
            return 1;
        }
    }
    const PerPage floor = Median(disk), path = Median(sane);
    std::printf(
        "sheets %d  disk import %.2f ms/page wall, %.2f ms/page CPU (floor)  "
        "SANE lindhollow %.2f ms/page wall, %.2f ms/page CPU  x_floor wall %.2f, CPU %.2f\n",
        sheets, floor.wall, floor.cpu, path.wall, path.cpu, path.wall / floor.wall,
        path.cpu / floor.cpu);
    return 0;
}
