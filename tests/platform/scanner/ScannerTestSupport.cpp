#include "ScannerTestSupport.h"

#include "controls/ControlSequences.h"
#include "scanner/TiffPages.h"

#include <tiffio.h>
#include <QFile>
#include <QTest>

Page whitePage(int width, int height, Page::Format format) {
    Page page;
    page.format = format;
    page.width = width;
    page.height = height;
    const std::uint8_t white = format == Page::Format::Bilevel ? 0x00 : 0xFF;
    page.pixels.assign(size_t(page.bytesPerLine()) * height, white);
    return page;
}

void writeSheet(const QString& path, int pages, int width, int height) {
    for (int i = 0; i < pages; ++i)
        writeTiffPage(QFile::encodeName(path).toStdString(), whitePage(width, height), i > 0);
}

StoredImage probe(const QString& path) {
    StoredImage image;
    TIFF* tiff = TIFFOpen(QFile::encodeName(path).constData(), "r");
    if (!tiff)
        return image;
    uint16_t compression = 0, bits = 0;
    uint32_t width = 0, height = 0;
    TIFFGetField(tiff, TIFFTAG_COMPRESSION, &compression);
    TIFFGetField(tiff, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height);
    image = {int(TIFFNumberOfDirectories(tiff)), compression, bits, int(width), int(height)};
    TIFFClose(tiff);
    return image;
}

EventLog::EventLog(ScannerControl& scanner, QStringList files)
    : scanner_(scanner), files_(std::move(files)) {
    QObject::connect(&scanner, &KScan::event10, [this] { events.append(QStringLiteral("10")); });
    QObject::connect(&scanner, &KScan::event11, [this] { events.append(QStringLiteral("11")); });
    QObject::connect(&scanner, &KScan::event12, [this] {
        events.append(QStringLiteral("12"));
        if (!files_.isEmpty())
            scanner_.write(KScan::OutputFile, files_.takeFirst());
        morePages.append(std::get<bool>(scanner_.read(KScan::MorePages)));
    });
    QObject::connect(&scanner, &KScan::event14, [this](qint32, qint32) {
        events.append(QStringLiteral("14"));
        if (onPageDone)
            onPageDone();
    });
    QObject::connect(&scanner, &KScan::event15, [this](qint16& number, QString& description) {
        events.append(QStringLiteral("15 %1").arg(number));
        descriptions.append(description);
    });
}

bool EventLog::ended() const {
    return (!events.isEmpty() && events.last().startsWith(u"15")) ||
           !std::get<bool>(scanner_.read(KScan::Feeding));
}

bool EventLog::waitForEnd() const {
    return QTest::qWaitFor([this] { return ended(); }, 60000);
}

Station::Station(const QString& kscanSection, const QString& kimgpSection)
    : dir(temporary.path()), ini(dir.filePath(QStringLiteral("scanner.ini"))) {
    for (const char* folder : {"slot", "feeder", "tray", "intray"})
        dir.mkpath(QLatin1String(folder));
    QFile file(ini);
    file.open(QIODevice::WriteOnly);
    file.write(
        QStringLiteral("[KSCAN]\n%1\n[KImgp]\n%2\n").arg(kscanSection, kimgpSection).toUtf8());
}

void Station::startUp() {
    InitialiseScannerControls(KScan1, KImgp1, ini);
}

void Station::scanCard() {
    KScan1.write(KScan::PageLength, KScan::Length11Inches);
    StartFeeding(KScan1, KScan::CardSlot);
}

void Station::startRun(bool endorse, qint32 counter, const QString& fixedText, qint32 position) {
    KScan1.write(KScan::PageLength, KScan::Length11Inches);
    const bool endorsing = endorse && std::get<bool>(KImgp1.read(KImgp::EndorserReady));
    SetEndorser(KImgp1, endorsing ? std::optional<EndorserSetting>({position, fixedText, counter})
                                  : std::nullopt);
    StartFeeding(KScan1, KScan::Feeder);
}

QStringList Station::filesIn(const QString& folder) const {
    return QDir(dir.filePath(folder)).entryList(QDir::Files, QDir::Name);
}
