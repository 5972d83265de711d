#include "support/LindhollowScanner.h"

#include <QFile>
#include <QTemporaryDir>
#include <cstdlib>

#include "scanner/Page.h"
#include "scanner/TiffPages.h"

QDir SaneTestConfig() {
    static QTemporaryDir config;
    static const bool written = [] {
        QFile dll(QDir(config.path()).filePath(QStringLiteral("dll.conf")));
        QFile test(QDir(config.path()).filePath(QStringLiteral("test.conf")));
        dll.open(QIODevice::WriteOnly);
        test.open(QIODevice::WriteOnly);
        dll.write("test\nlindhollow\n");
        // The test backend's scan area may be as long as the longest page.
        test.write(
            "number_of_devices 2\ngeometry_min 0.0\ngeometry_max 500.0\ngeometry_quant 1.0\n");
        setenv("SANE_CONFIG_DIR", QFile::encodeName(config.path()).constData(), 1);
        const QByteArray path = qgetenv("LD_LIBRARY_PATH");
        setenv(
            "LD_LIBRARY_PATH",
            (QByteArray(LINDHOLLOW_BACKEND_DIR) + (path.isEmpty() ? "" : ":" + path)).constData(),
            1);
        return true;
    }();
    return written ? QDir(config.path()) : QDir();
}

LindhollowDevice::LindhollowDevice(const QDir& home, const QString& settings) : home_(home) {
    home_.mkpath(QStringLiteral("adf"));
    home_.mkpath(QStringLiteral("stacker"));
    QFile conf(SaneTestConfig().filePath(QStringLiteral("lindhollow.conf")));
    conf.open(QIODevice::WriteOnly);
    conf.write(QStringLiteral("device station feeder=%1 tray=%2 log=%3 %4\n")
                   .arg(feeder(), tray(), home_.filePath(QStringLiteral("options.log")), settings)
                   .toLocal8Bit());
}

void LindhollowDevice::putSheet(const QString& name, int sides, const QString& fault) const {
    const QString path = QDir(feeder()).filePath(name);
    Page page;
    page.format = Page::Format::Gray;
    page.width = 1700;  // 8.5 by 11 inches at 200 dpi
    page.height = 2200;
    for (int side = 0; side < sides; ++side) {
        page.pixels.assign(size_t(page.width) * page.height, 255);
        writeTiffPage(QFile::encodeName(path).toStdString(), page, side > 0);
    }
    if (!fault.isEmpty()) {
        QFile script(path + QStringLiteral(".fault"));
        script.open(QIODevice::WriteOnly);
        script.write(fault.toLatin1());
    }
}

QStringList LindhollowDevice::optionsSet() const {
    QFile log(home_.filePath(QStringLiteral("options.log")));
    if (!log.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLocal8Bit(log.readAll()).split(u'\n', Qt::SkipEmptyParts);
}
