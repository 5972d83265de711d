// The scanner controls on our own SANE backend, which emulates a sheet-fed scanner with an
// imprinter: the endorser's settings become device options, and the paper carries the imprint.

#include "ScannerTestSupport.h"
#include "controls/ControlSequences.h"
#include "scanner/EndorserCheck.h"
#include "scanner/Imprint.h"
#include "scanner/TiffPages.h"
#include "support/LindhollowScanner.h"
#include "support/QtPrinting.h"
#include "support/TestScanner.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>

namespace {

QString section(const QString& more = {}) {
    return QStringLiteral(
               "Source = sane\nDevice = %1\nCardSource = ADF Front\nFeederSource = ADF Duplex\n")
               .arg(LindhollowDevice::name()) +
           more;
}

Page front(const QString& file) {
    return readTiffPages(QFile::encodeName(file).toStdString()).at(0);
}

constexpr double PixelsPerMm = 200 / 25.4;

struct PositionCase {
    KScan::PageLengthCode length;
    qint32 printPosition;  // as the station computes it for the ballot length and position
    const char* endorserY;
};

class EndorserPosition : public testing::TestWithParam<PositionCase> {};

// Two duplex sheets endorsed from counter 41: each sheet's front carries the fixed text and its
// counter where the device was told, and nothing is drawn where the station's own imprint goes.
TEST_P(EndorserPosition, BecomesTheImprintersOptionsAndThePaperCarriesIt) {
    const PositionCase& c = GetParam();
    TestScanner station(section());
    const LindhollowDevice device(station.dir);
    device.putSheet(QStringLiteral("a.tif"), 2);
    device.putSheet(QStringLiteral("b.tif"), 2);
    station.startUp();
    const QStringList files = {station.path("intray/1.tif"), station.path("intray/1.tif"),
                               station.path("intray/2.tif"), station.path("intray/2.tif")};
    EventLog log(station.KScan1, files);
    station.KScan1.write(KScan::PageLength, c.length);
    SetEndorser(station.KImgp1, EndorserSetting{c.printPosition, QStringLiteral("3007"), 41});
    StartFeeding(station.KScan1, KScan::Feeder);
    ASSERT_TRUE(log.waitForEnd());

    EXPECT_EQ(log.events.last(), QStringLiteral("15 20025"));
    EXPECT_EQ(log.morePages, (QList<bool>{true, false, true, false}));
    const QStringList set = device.optionsSet();
    const QStringList endorser = {QStringLiteral("endorser=yes"),
                                  QStringLiteral("endorser-bits=24"),
                                  QStringLiteral("endorser-val=41"),
                                  QStringLiteral("endorser-step=1"),
                                  QStringLiteral("endorser-y=") + QLatin1String(c.endorserY),
                                  QStringLiteral("endorser-string=3007%05ud")};
    ASSERT_GE(set.size(), endorser.size());
    EXPECT_EQ(set.mid(set.size() - endorser.size()), endorser);
    const double top = c.printPosition;  // 1/200 inch: pixels at 200 dpi
    for (int sheet = 0; sheet < 2; ++sheet) {
        const Page page = front(files[sheet * 2]);
        EXPECT_EQ(probe(files[sheet * 2]).pages, 2);
        EXPECT_EQ(readDotText(page, 12 * PixelsPerMm, top, 0.254 * PixelsPerMm, 9),
                  QStringLiteral("300700%1").arg(41 + sheet, 3, 10, QChar(u'0')));
        EXPECT_FALSE(page.isBlack(ImprintLayout::left + 1, int(top) + 1));
    }
}

INSTANTIATE_TEST_SUITE_P(BallotLengths, EndorserPosition,
                         testing::Values(PositionCase{KScan::Length11Inches, 1500, "190.5"},
                                         PositionCase{KScan::Length11Inches, 1000, "127"},
                                         PositionCase{KScan::Length11Inches, 500, "63.5"},
                                         PositionCase{KScan::Length11Inches, 0, "0"},
                                         PositionCase{KScan::Length14Inches, 2100, "266.7"},
                                         PositionCase{KScan::Length14Inches, 1600, "203.2"},
                                         PositionCase{KScan::Length14Inches, 1100, "139.7"},
                                         PositionCase{KScan::Length14Inches, 600, "76.2"}));

// What the image-processing control offers on a device with or without an imprinter, and who
// prints: the device, or the control drawing into the stored image.
struct OfferCase {
    const char* what;
    const char* settings;
    bool fitted;       // property 45
    bool ready;        // property 138
    bool drawn;        // the stored image carries the control's own imprint
    const char* said;  // by the station check
};

class EndorserOffer : public testing::TestWithParam<OfferCase> {};

TEST_P(EndorserOffer, FollowsTheDevice) {
    const OfferCase& c = GetParam();
    TestScanner station(section());
    const LindhollowDevice device(station.dir, QLatin1String(c.settings));
    device.putSheet(QStringLiteral("a.tif"));
    device.putSheet(QStringLiteral("b.tif"));
    EXPECT_TRUE(DescribeEndorser(station.ini).contains(QLatin1String(c.said)))
        << DescribeEndorser(station.ini).toStdString();
    station.startUp();
    EXPECT_EQ(std::get<bool>(station.KImgp1.read(KImgp::EndorserFitted)), c.fitted);
    EXPECT_EQ(std::get<bool>(station.KImgp1.read(KImgp::EndorserReady)), c.ready);

    const QStringList files = {station.path("intray/a.tif"), station.path("intray/b.tif")};
    EventLog log(station.KScan1, {files[0], files[0], files[1], files[1]});
    station.startRun(true, 5, QStringLiteral("3007"), 500);
    ASSERT_TRUE(log.waitForEnd());
    // Once a sheet: the second sheet, after a front and a back, carries the next number.
    for (int sheet = 0; sheet < 2; ++sheet)
        EXPECT_EQ(readDotText(front(files[sheet]), ImprintLayout::left, 500, 2, 9) ==
                      QStringLiteral("30070000%1").arg(5 + sheet),
                  c.drawn)
            << sheet;
    EXPECT_EQ(device.optionsSet().contains(QStringLiteral("endorser=yes")), !c.drawn && c.ready);
}

INSTANTIATE_TEST_SUITE_P(
    Devices, EndorserOffer,
    testing::Values(OfferCase{"Imprinter", "", true, true, false,
                              "prints the endorser's text on "
                              "the paper"},
                    OfferCase{"NoImprinter", "imprinter=no", true, true, true,
                              "drawn into the stored images"},
                    OfferCase{"InkLow", "ink=5", true, false, false, "reports low ink"}),
    [](const testing::TestParamInfo<OfferCase>& info) { return info.param.what; });

// A value that the device keeps within its own limits would print another number, or in another
// place, than the station asked: the run ends before a sheet is fed.
TEST(LindhollowEndorser, AValueTheDeviceWouldChangeEndsTheRunUnfed) {
    TestScanner station(section());
    const LindhollowDevice device(station.dir);
    device.putSheet(QStringLiteral("a.tif"));
    station.startUp();
    EventLog log(station.KScan1);
    station.startRun(true, 1, QStringLiteral("3007"), 3000);  // 15 inches down an 11-inch sheet
    ASSERT_TRUE(log.waitForEnd());
    EXPECT_EQ(log.events, (QStringList{"10", "15 20100"}));
    EXPECT_EQ(log.descriptions, QStringList{"The scanner's endorser cannot print as set: "
                                            "endorser-y is 279.4 where 381 was asked"});
    EXPECT_EQ(QDir(device.feeder()).entryList({"*.tif"}), QStringList{"a.tif"});
}

// scanimage finds the backend through SANE's dll backend and shows its options by their names.
TEST(LindhollowBackend, ScanimageListsTheDeviceAndItsOptions) {
    QTemporaryDir home;
    const LindhollowDevice device(QDir(home.path()));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
#ifdef SANITIZER_RUNTIMES
    environment.insert(QStringLiteral("LD_PRELOAD"), QStringLiteral(SANITIZER_RUNTIMES));
    // scanimage's own leaks are not ours to judge.
    environment.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
#endif
    QProcess list;
    list.setProcessEnvironment(environment);
    list.start(QStringLiteral("scanimage"), {QStringLiteral("-L")});
    ASSERT_TRUE(list.waitForFinished(30000));
    EXPECT_TRUE(list.readAllStandardOutput().contains("`lindhollow:station'"));
    QProcess options;
    options.setProcessEnvironment(environment);
    options.start(QStringLiteral("scanimage"),
                  {QStringLiteral("-A"), QStringLiteral("-d"), LindhollowDevice::name()});
    ASSERT_TRUE(options.waitForFinished(30000));
    const QString shown = QString::fromLocal8Bit(options.readAllStandardOutput());
    for (const char* name :
         {"--source", "--mode", "--resolution", "--page-height", "--endorser", "--endorser-bits",
          "--endorser-val", "--endorser-step", "--endorser-y", "--endorser-font", "--endorser-dir",
          "--endorser-side", "--endorser-string", "--ink-low", "--ink-remain", "--double-feed"})
        EXPECT_TRUE(shown.contains(QRegularExpression(QStringLiteral("\\s%1[ []").arg(name))))
            << name << "\n"
            << shown.toStdString();
}

}  // namespace
