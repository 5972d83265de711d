#include "ScannerTestSupport.h"
#include "controls/ControlError.h"
#include "support/TestScanner.h"

#include <gtest/gtest.h>
#include <tiffio.h>
#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <filesystem>

namespace {

const QString diskSection =
    QStringLiteral("Source = disk\nCardSlot = slot\nFeeder = feeder\nOutputTray = tray");

int errorOf(const std::function<void()>& write) {
    try {
        write();
    } catch (const ControlError& error) {
        return error.number();
    }
    return 0;
}

class DiskImport : public testing::Test {
  protected:
    void SetUp() override { station.startUp(); }

    TestScanner station{diskSection};
};

TEST_F(DiskImport, StartUpOffersTheEndorser) {
    EXPECT_TRUE(std::get<bool>(station.KImgp1.read(KImgp::EndorserFitted)));
    EXPECT_TRUE(std::get<bool>(station.KImgp1.read(KImgp::EndorserReady)));
    EXPECT_FALSE(std::get<bool>(station.KScan1.read(KScan::Feeding)));
    EXPECT_EQ(std::get<qint16>(station.KScan1.read(KScan::ErrorCode)), 0);
}

TEST_F(DiskImport, HeaderCardIsScannedAloneAfterTheWriteHasReturned) {
    writeSheet(station.path("slot/b-card.tif"));
    writeSheet(station.path("slot/a-card.tif"));
    const std::filesystem::path older = station.path("slot/b-card.tif").toStdString();
    std::filesystem::last_write_time(
        older, std::filesystem::last_write_time(older) - std::chrono::minutes(1));
    const QString header = station.path("intray/HEADER.tif");
    EventLog log(station.KScan1, {header});

    station.scanCard();
    EXPECT_TRUE(log.events.isEmpty());  // nothing from inside the write
    ASSERT_TRUE(log.waitForEnd());

    EXPECT_EQ(log.events, QStringList({"10", "11", "12", "14"}));
    EXPECT_EQ(log.morePages, QList<bool>{false});
    EXPECT_EQ(probe(header).pages, 1);
    EXPECT_EQ(station.filesIn("slot"), QStringList{"a-card.tif"});  // the oldest card was fed
    EXPECT_EQ(station.filesIn("tray"), QStringList{"b-card.tif"});
    EXPECT_EQ(std::get<qint16>(station.KScan1.read(KScan::ErrorCode)), 0);
}

TEST_F(DiskImport, RunFeedsSheetsInNameOrderUntilTheFeederIsEmpty) {
    for (const char* name : {"s3.tif", "s1.tif", "s2.tif"})
        writeSheet(station.path(QStringLiteral("feeder/") + name));
    const QStringList files{station.path("intray/1.tif"), station.path("intray/2.tif"),
                            station.path("intray/3.tif")};
    EventLog log(station.KScan1, files);

    station.startRun(false);
    ASSERT_TRUE(log.waitForEnd());

    EXPECT_EQ(log.events, QStringList({"10", "11", "12", "14", "11", "12", "14", "11", "12", "14",
                                       "15 20025"}));
    EXPECT_EQ(std::get<qint16>(station.KScan1.read(KScan::ErrorCode)), 20025);
    EXPECT_EQ(station.filesIn("tray"), QStringList({"s1.tif", "s2.tif", "s3.tif"}));
    EXPECT_EQ(station.filesIn("intray"), QStringList({"1.tif", "2.tif", "3.tif"}));
    for (const QString& file : files)
        EXPECT_EQ(probe(file).compression, COMPRESSION_CCITTFAX4) << file.toStdString();
}

TEST_F(DiskImport, StopScannerEndsTheRunAfterTheCurrentPage) {
    for (const char* name : {"s1.tif", "s2.tif", "s3.tif"})
        writeSheet(station.path(QStringLiteral("feeder/") + name));
    EventLog log(station.KScan1, {station.path("intray/1.tif")});
    log.onPageDone = [&] { station.KScan1.write(KScan::Action, KScan::StopFeeding); };

    station.startRun(false);
    ASSERT_TRUE(log.waitForEnd());
    QCoreApplication::processEvents();

    EXPECT_EQ(log.events, QStringList({"10", "11", "12", "14"}));
    EXPECT_EQ(station.filesIn("feeder"), QStringList({"s2.tif", "s3.tif"}));
}

TEST_F(DiskImport, DuplexSheetIsOneImageOfTwoPages) {
    writeSheet(station.path("feeder/duplex.tif"), 2);
    const QString image = station.path("intray/100100001.tif");
    EventLog log(station.KScan1, {image, image});

    station.startRun(false);
    ASSERT_TRUE(log.waitForEnd());

    EXPECT_EQ(log.events, QStringList({"10", "11", "12", "14", "11", "12", "14", "15 20025"}));
    EXPECT_EQ(log.morePages, QList<bool>({true, false}));
    EXPECT_EQ(probe(image).pages, 2);
}

TEST_F(DiskImport, ErrorsComeFromTheirCauses) {
    struct Case {
        const char* cause;
        std::function<void(TestScanner&)> arrange;
        bool cardScan;
        int error;
    };
    const Case cases[] = {
        {"empty card slot", [](TestScanner&) {}, true, 20025},
        {"empty feeder", [](TestScanner&) {}, false, 20025},
        {"unreadable sheet",
         [](TestScanner& s) {
             QFile sheet(s.path("feeder/torn.tif"));
             sheet.open(QIODevice::WriteOnly);
             sheet.write("not a TIFF file");
         },
         false, 20026},
        {"sheet larger than any paper",
         [](TestScanner& s) {
             TIFF* tiff = TIFFOpen(QFile::encodeName(s.path("feeder/huge.tif")).constData(), "w");
             TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, 40000u);
             TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, 40000u);
             TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, uint16_t(3));
             TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, uint16_t(8));
             TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
             TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, 1u);
             std::vector<uint8_t> row(40000 * 3, 255);
             TIFFWriteScanline(tiff, row.data(), 0, 0);
             TIFFClose(tiff);
         },
         false, 20026},
        {"output tray removed",
         [](TestScanner& s) {
             writeSheet(s.path("feeder/s1.tif"));
             QDir(s.path("tray")).removeRecursively();
         },
         false, 20086},
        {"no output file named", [](TestScanner& s) { writeSheet(s.path("slot/card.tif")); }, true,
         20100},
    };
    for (const Case& c : cases) {
        TestScanner station(diskSection);
        station.startUp();
        c.arrange(station);
        EventLog log(station.KScan1);
        c.cardScan ? station.scanCard() : station.startRun(false);
        ASSERT_TRUE(log.waitForEnd()) << c.cause;
        EXPECT_EQ(log.events.last(), QStringLiteral("15 %1").arg(c.error)) << c.cause;
        EXPECT_EQ(std::get<qint16>(station.KScan1.read(KScan::ErrorCode)), c.error) << c.cause;
        EXPECT_FALSE(log.descriptions.last().isEmpty()) << c.cause;
    }
}

TEST(DiskImportStartUp, MissingDeviceFolderGives20086) {
    TestScanner station(diskSection);
    QDir(station.path("feeder")).removeRecursively();
    EXPECT_EQ(errorOf([&] { station.startUp(); }), ScannerError::NotConnected);
    EXPECT_FALSE(std::get<bool>(station.KImgp1.read(KImgp::EndorserFitted)));

    // Retry, once the folder is back, completes the start-up.
    station.dir.mkpath("feeder");
    EXPECT_EQ(errorOf([&] { station.startUp(); }), 0);
}

TEST(DiskImportStartUp, MissingInitialisationSectionGives20086) {
    TestScanner station(QString{});
    station.KScan1.write(KScan::IniFile, station.ini);
    station.KScan1.write(KScan::IniSectionName, QStringLiteral("NOSUCH"));
    EXPECT_EQ(errorOf([&] { station.KScan1.write(KScan::Action, KScan::LoadSection); }),
              ScannerError::NotConnected);
}

TEST(DiskImportStartUp, DeviceReservedByAnotherProcessGives20012) {
    TestScanner station(diskSection);
    QProcess other;
    other.start(QStringLiteral(RESERVE_SCANNER), {station.ini});
    ASSERT_TRUE(other.waitForReadyRead(10000)) << other.readAllStandardError().toStdString();
    ASSERT_EQ(other.readLine().trimmed(), "reserved");

    EXPECT_EQ(errorOf([&] { station.startUp(); }), ScannerError::Reserved);

    other.closeWriteChannel();  // the other station closes
    ASSERT_TRUE(other.waitForFinished(10000));
    EXPECT_EQ(errorOf([&] { station.startUp(); }), 0);
}

TEST_F(DiskImport, UnloadReleasesTheDevice) {
    writeSheet(station.path("feeder/s1.tif"));
    EventLog log(station.KScan1);
    station.startRun(false);
    EXPECT_TRUE(std::get<bool>(
        station.KScan1.read(KScan::Feeding)));  // the station's unload then clears the path
    station.KScan1.write(KScan::Action, KScan::ClearPaperPath);
    station.KScan1.write(KScan::Action, KScan::Release);
    QCoreApplication::processEvents();
    EXPECT_TRUE(log.events.isEmpty());
    EXPECT_EQ(station.filesIn("feeder"), QStringList{"s1.tif"});

    ScannerControl next;
    next.write(KScan::IniFile, station.ini);
    next.write(KScan::IniSectionName, QStringLiteral("KSCAN"));
    EXPECT_EQ(errorOf([&] { next.write(KScan::Action, KScan::LoadSection); }), 0);
}

TEST_F(DiskImport, WritesWithAWrongTypeOrValueAreRefused) {
    struct Case {
        int dispid;
        PropertyValue value;
    };
    const Case cases[] = {
        {KScan::PageLength, qint32(100)}, {KScan::PageLength, QStringLiteral("128")},
        {KScan::IniFile, qint32(1)},      {KScan::DeviceMethod, qint32(2)},
        {KScan::IOWriteMode, qint32(1)},  {KScan::Action, qint32(99)},
        {KScan::MorePages, true},         {500, qint32(0)}};  // no such property
    for (const Case& c : cases)
        EXPECT_EQ(errorOf([&] { station.KScan1.write(c.dispid, c.value); }), ScannerError::General)
            << c.dispid << " " << valueText(c.value).toStdString();
    EXPECT_EQ(errorOf([&] { station.KImgp1.write(KImgp::CounterDigits, qint32(70000)); }),
              ScannerError::General);
    // The 16-bit error code takes a 16-bit write and reads back as 16-bit.
    station.KScan1.write(KScan::ErrorCode, qint16(0));
    EXPECT_TRUE(std::holds_alternative<qint16>(station.KScan1.read(KScan::ErrorCode)));
}

TEST(DiskImportStartUp, ImpossibleEndorserIsNotOffered) {
    TestScanner station(diskSection, QStringLiteral("Endorser = no"));
    station.startUp();
    EXPECT_FALSE(std::get<bool>(station.KImgp1.read(KImgp::EndorserFitted)));
}

}  // namespace
