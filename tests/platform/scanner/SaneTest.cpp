#include "ScannerTestSupport.h"
#include "controls/ControlError.h"
#include "controls/ControlSequences.h"
#include "scanner/Imprint.h"
#include "scanner/TiffPages.h"
#include "support/LindhollowScanner.h"
#include "support/PageReadPauses.h"
#include "support/TestScanner.h"

#include <gtest/gtest.h>
#include <tiffio.h>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <cstdlib>

namespace {

// SANE's test backend, enabled through the tests' configuration folder.
class Sane : public testing::Test {
  protected:
    static void SetUpTestSuite() { SaneTestConfig(); }

    static QString section(const QString& options) {
        return QStringLiteral(
                   "Source = sane\nDevice = test:0\nCardSource = Flatbed\n"
                   "FeederSource = Automatic Document Feeder\nOption.resolution = 50\n") +
               options;
    }
};

QString threadName(const QString& task) {
    QFile file(QStringLiteral("/proc/self/task/%1/comm").arg(task));
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()).trimmed()
                                          : QString();
}

// The threads other than the main one that carry its name: those started from it, among them
// the reader that the test backend's sane_start begins.
QStringList threadsNamedAsMain() {
    const QString main = QString::number(QCoreApplication::applicationPid());
    const QString name = threadName(main);
    QStringList found;
    for (const QString& task :
         QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (task != main && threadName(task) == name)
            found.append(task);
    }
    return found;
}

// Waits, for at most ten seconds, until every such thread not in `before` has ended.
bool threadsStartedSinceEnd(const QStringList& before) {
    const QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired()) {
        const QStringList now = threadsNamedAsMain();
        if (std::all_of(now.begin(), now.end(),
                        [&](const QString& task) { return before.contains(task); }))
            return true;
        QThread::yieldCurrentThread();
    }
    return false;
}

QStringList numbered(const QString& folder, int count) {
    QStringList files;
    for (int i = 1; i <= count; ++i)
        files.append(QDir(folder).filePath(QStringLiteral("%1.tif").arg(i)));
    return files;
}

TEST_F(Sane, FeederRunEndsEmptyAfterTenBilevelPagesStoredAsG4) {
    TestScanner station(
        section("Option.mode = Gray\nOption.depth = 1\nOption.test-picture = Solid black"));
    station.startUp();
    const QStringList files = numbered(station.path("intray"), 11);
    EventLog log(station.KScan1, files);

    station.startRun(false);
    ASSERT_TRUE(log.waitForEnd());

    QStringList expected{"10"};
    for (int i = 0; i < 10; ++i)
        expected << "11"
                 << "12"
                 << "14";
    expected << "15 20025";
    EXPECT_EQ(log.events, expected);
    const StoredImage image = probe(files[9]);
    EXPECT_EQ(image.compression, COMPRESSION_CCITTFAX4);
    EXPECT_EQ(image.bitsPerSample, 1);
    EXPECT_NEAR(image.height, 11 * 50,
                1);  // the page length of 11-inch ballots, to the device's step
    const Page page = readTiffPages(QFile::encodeName(files[9]).toStdString()).at(0);
    EXPECT_TRUE(page.isBlack(0, 0));  // SANE's 1 = black kept as black
    EXPECT_TRUE(page.isBlack(page.width - 1, page.height - 1));
}

TEST_F(Sane, CardScanTakesOneGrayPageStoredAsLzw) {
    TestScanner station(
        section("Option.mode = Gray\nOption.depth = 8\nOption.test-picture = Solid white"));
    station.startUp();
    const QString header = station.path("intray/HEADER.tif");
    EventLog log(station.KScan1, {header});

    station.scanCard();
    EXPECT_TRUE(log.events.isEmpty());
    ASSERT_TRUE(log.waitForEnd());

    EXPECT_EQ(log.events, QStringList({"10", "11", "12", "14"}));
    const StoredImage image = probe(header);
    EXPECT_EQ(image.compression, COMPRESSION_LZW);
    EXPECT_EQ(image.bitsPerSample, 8);
}

// A slow scanner: the page of a run is read while the event loop keeps turning, and Stop is
// taken during the read, ending the run after that page. The loop's longest pause between the
// page's start and its end is the latency a window sees; a read on the loop's thread would
// pause it for the whole page.
TEST_F(Sane, TheEventLoopTurnsAndTakesStopWhileAPageIsRead) {
    TestScanner station(
        section("Option.mode = Gray\nOption.depth = 8\nOption.resolution = 100\n"
                "Option.read-limit = yes\nOption.read-limit-size = 4096\n"
                "Option.read-delay = yes\nOption.read-delay-duration = 200000"));
    station.startUp();
    EventLog log(station.KScan1, numbered(station.path("intray"), 2));
    PageReadPauses pauses(station.KScan1,
                          [&] { station.KScan1.write(KScan::Action, qint32(KScan::StopFeeding)); });

    station.startRun(false);
    ASSERT_TRUE(log.waitForEnd());

    EXPECT_EQ(log.events, QStringList({"10", "11", "12", "14"}));
    const qint64 page = pauses.PageMilliseconds();
    ASSERT_GE(page, 400) << "the page was read too fast to show a pause";
    const qint64 longest = pauses.LongestPause();
    EXPECT_LT(longest, page / 2);
}

TEST_F(Sane, PageLengthSetsTheScanLength) {
    struct Case {
        KScan::PageLengthCode code;
        int inches;
    };
    for (const Case c : {Case{KScan::Length11Inches, 11}, Case{KScan::Length14Inches, 14},
                         Case{KScan::Length18Inches, 18}}) {
        TestScanner station(section("Option.depth = 1"));
        station.startUp();
        EventLog log(station.KScan1, {station.path("intray/a.tif")});
        station.KScan1.write(KScan::PageLength, c.code);
        StartFeeding(station.KScan1, KScan::CardSlot);
        ASSERT_TRUE(log.waitForEnd());
        EXPECT_NEAR(probe(station.path("intray/a.tif")).height, c.inches * 50, 1) << c.code;
    }
}

TEST_F(Sane, StatusesBecomeScannerErrors) {
    struct Case {
        const char* status;
        int error;
        const char* description;
    };
    const Case cases[] = {
        {"SANE_STATUS_JAMMED", 20026, "Document feeder jammed"},
        {"SANE_STATUS_NO_DOCS", 20025, "Document feeder out of documents"},
        {"SANE_STATUS_DEVICE_BUSY", 20012, "Device busy"},
        {"SANE_STATUS_IO_ERROR", 20100, "Error during device I/O"},
        {"SANE_STATUS_COVER_OPEN", 20100, "Scanner cover is open"},
    };
    for (const Case& c : cases) {
        TestScanner station(
            section(QStringLiteral("Option.depth = 1\nOption.read-return-value = %1")
                        .arg(QLatin1String(c.status))));
        station.startUp();
        EventLog log(station.KScan1, {station.path("intray/a.tif")});
        // The test backend fails the first read at once, and the station then cancels the
        // page; the backend cancels its reader thread asynchronously, which leaves it stuck
        // in the C library's allocator if it is still starting. The page is small enough for
        // the reader to hand all of it over and end: wait for that.
        const QStringList before = threadsNamedAsMain();
        QObject::connect(&station.KScan1, &KScan::event11, [&] {
            EXPECT_TRUE(threadsStartedSinceEnd(before)) << "the backend's reader still runs";
        });
        station.startRun(false);
        ASSERT_TRUE(log.waitForEnd()) << c.status;
        EXPECT_EQ(log.events, QStringList({"10", "11", QStringLiteral("15 %1").arg(c.error)}))
            << c.status;
        EXPECT_EQ(log.descriptions.value(0), QLatin1String(c.description)) << c.status;
        EXPECT_EQ(std::get<qint16>(station.KScan1.read(KScan::ErrorCode)), c.error) << c.status;
    }
}

TEST_F(Sane, UnknownDeviceGives20086AtStartUp) {
    TestScanner station(QStringLiteral("Source = sane\nDevice = nosuch:0"));
    try {
        station.startUp();
        FAIL() << "start-up succeeded";
    } catch (const ControlError& error) {
        EXPECT_EQ(error.number(), ScannerError::NotConnected);
    }
}

TEST_F(Sane, EndorserPrintsIntoScannedPages) {
    TestScanner station(
        section("Option.mode = Gray\nOption.depth = 8\nOption.resolution = 200\n"
                "Option.test-picture = Solid white\nOption.br-x = 60"));
    station.startUp();
    ASSERT_TRUE(std::get<bool>(station.KImgp1.read(KImgp::EndorserFitted)));
    const QStringList files = numbered(station.path("intray"), 11);
    EventLog log(station.KScan1, files);
    log.onPageDone = [&] {
        if (log.events.count(QStringLiteral("14")) == 2)
            station.KScan1.write(KScan::Action, KScan::StopFeeding);
    };
    station.startRun(true, 7, QStringLiteral("2005"), 500);
    ASSERT_TRUE(log.waitForEnd());

    EXPECT_EQ(log.events, QStringList({"10", "11", "12", "14", "11", "12", "14"}));
    const Page second = readTiffPages(QFile::encodeName(files[1]).toStdString()).at(0);
    // The counter's last digit: 8 on the second page; its dots at 200 dpi and 2 units a dot.
    const int left = ImprintLayout::left + 8 * 12;
    const Glyph& eight = *endorserGlyph('8');
    for (int row = 0; row < 7; ++row)
        for (int column = 0; column < 5; ++column)
            EXPECT_EQ(second.isBlack(left + column * 2 + 1, 500 + row * 2 + 1),
                      bool(eight[row] & (0x10 >> column)))
                << row << "," << column;
}

TEST_F(Sane, ReleasedDeviceCanBeOpenedAgain) {
    TestScanner station(section("Option.depth = 1"));
    station.startUp();
    station.KScan1.write(KScan::Action, KScan::Release);
    EXPECT_NO_THROW(station.startUp());
}

}  // namespace
