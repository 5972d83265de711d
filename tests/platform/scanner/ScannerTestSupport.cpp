#include "ScannerTestSupport.h"

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
            scanner_.write(96, files_.takeFirst());
        morePages.append(std::get<bool>(scanner_.read(97)));
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
           !std::get<bool>(scanner_.read(67));
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
    KScan1.write(112, QStringLiteral("8000"));
    KScan1.write(KScan::Action, qint32(3));
    KScan1.write(KScan::ActiveDevice, qint32(0));
    KScan1.write(KScan::Action, qint32(1));
    KScan1.write(79, ini);
    KScan1.write(80, QStringLiteral("KSCAN"));
    KScan1.write(KScan::Action, qint32(8));
    KScan1.write(84, static_cast<KImgp*>(&KImgp1));
    KImgp1.write(7, ini);
    KImgp1.write(8, QStringLiteral("KImgp"));
    KImgp1.write(KImgp::Action, qint32(2));
}

void Station::scanCard() {
    KScan1.write(47, qint32(128));
    KScan1.write(KScan::DeviceMethod, qint32(0));
    KScan1.write(KScan::IOWriteMode, qint32(2));
    KScan1.write(KScan::Action, qint32(4));
}

void Station::startRun(bool endorse, qint32 counter, const QString& fixedText, qint32 position) {
    KScan1.write(47, qint32(128));
    if (endorse && std::get<bool>(KImgp1.read(138))) {
        KImgp1.write(139, true);
        KImgp1.write(143, position);
        KImgp1.write(142, fixedText);
        KImgp1.write(149, counter);
        KImgp1.write(150, qint16(5));
        KImgp1.write(153, qint32(2));
        KImgp1.write(155, qint16(1));
        KImgp1.write(154, qint16(1));
    } else {
        KImgp1.write(139, false);
    }
    KScan1.write(KScan::DeviceMethod, qint32(1));
    KScan1.write(KScan::IOWriteMode, qint32(2));
    KScan1.write(KScan::Action, qint32(4));
}

QStringList Station::filesIn(const QString& folder) const {
    return QDir(dir.filePath(folder)).entryList(QDir::Files, QDir::Name);
}
