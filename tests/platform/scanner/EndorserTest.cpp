#include "ScannerTestSupport.h"
#include "scanner/Imprint.h"
#include "scanner/TiffPages.h"
#include "support/TestScanner.h"

#include <gtest/gtest.h>
#include <QFile>
#include <bit>

namespace {

const QString diskSection =
    QStringLiteral("Source = disk\nCardSlot = slot\nFeeder = feeder\nOutputTray = tray");
// Reads the imprint back from the pixels of a 200-dpi page.
QString readImprint(const Page& page, int top, int scale, int length) {
    return readDotText(page, ImprintLayout::left, top, scale, length);
}

int blackPixels(const Page& page) {
    int count = 0;
    for (int y = 0; y < page.height; ++y)
        for (int x = 0; x < page.width; ++x)
            count += page.isBlack(x, y);
    return count;
}

int dots(const QString& text) {
    int count = 0;
    for (QChar c : text)
        for (std::uint8_t row : *endorserGlyph(char(c.unicode())))
            count += std::popcount(row);
    return count;
}

Page storedPage(const QString& file) {
    return readTiffPages(QFile::encodeName(file).toStdString()).at(0);
}

TEST(Endorser, EveryPageOfARunCarriesTextAndCounter) {
    TestScanner station(diskSection);
    station.startUp();
    for (const char* name : {"s1.tif", "s2.tif", "s3.tif"})
        writeSheet(station.path(QStringLiteral("feeder/") + name), 1, 1700, 2200);
    const QStringList files{station.path("intray/a.tif"), station.path("intray/b.tif"),
                            station.path("intray/c.tif")};
    EventLog log(station.KScan1, files);

    station.startRun(true, 1, QStringLiteral("1007"), 1500);
    ASSERT_TRUE(log.waitForEnd());

    const QStringList expected{"100700001", "100700002", "100700003"};
    for (int i = 0; i < 3; ++i) {
        const Page page = storedPage(files[i]);
        EXPECT_EQ(readImprint(page, 1500, 2, 9), expected[i]);
        EXPECT_EQ(blackPixels(page), dots(expected[i]) * 4);  // nothing else was drawn
    }
    // The counter carries on in the next run.
    EXPECT_EQ(std::get<qint32>(station.KImgp1.read(KImgp::Counter)), 4);
}

TEST(Endorser, PrintPositionMovesTheImprint) {
    for (const int position : {1500, 1000, 500, 0}) {
        TestScanner station(diskSection);
        station.startUp();
        writeSheet(station.path("feeder/s1.tif"), 1, 1700, 2200);
        EventLog log(station.KScan1, {station.path("intray/a.tif")});
        station.startRun(true, 42, QStringLiteral("3012"), position);
        ASSERT_TRUE(log.waitForEnd());
        EXPECT_EQ(readImprint(storedPage(station.path("intray/a.tif")), position, 2, 9),
                  "301200042")
            << position;
    }
}

TEST(Endorser, EnderCardWithTheEndorserOffCarriesNoImprint) {
    TestScanner station(diskSection);
    station.startUp();
    writeSheet(station.path("slot/ender.tif"), 1, 1700, 2200);
    station.KImgp1.write(KImgp::Endorsing, true);
    station.KImgp1.write(KImgp::FixedText, QStringLiteral("1007"));
    station.KImgp1.write(KImgp::Endorsing, false);
    EventLog log(station.KScan1, {station.path("intray/ender.tif")});
    station.scanCard();
    ASSERT_TRUE(log.waitForEnd());
    EXPECT_EQ(blackPixels(storedPage(station.path("intray/ender.tif"))), 0);
}

TEST(Endorser, ImprintThatRunsOffThePageIsClipped) {
    Page page = whitePage(80, 20, Page::Format::Gray);
    imprint(page, "88888888", {.top = 10, .scale = 2});
    EXPECT_GT(blackPixels(page), 0);
    EXPECT_FALSE(page.isBlack(49, 12));  // left of the imprint
}

}  // namespace
