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
