#include "scanner/DiskImportSource.h"

#include "controls/ControlError.h"
#include "scanner/TiffPages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <stdexcept>

namespace {

QString existingFolder(const IniSection& settings, const QString& key) {
    const QString folder = settings.path(key);
    if (folder.isEmpty())
        throw ControlError(ScannerError::NotConnected,
                           QStringLiteral("The initialisation file names no %1 folder").arg(key));
    if (!QFileInfo(folder).isDir())
        throw ControlError(ScannerError::NotConnected,
                           QStringLiteral("The %1 folder %2 does not exist").arg(key, folder));
    return QFileInfo(folder).canonicalFilePath();
}

// A free name in the output tray: the sheet's own, or with -2, -3 ... before the extension.
QString trayName(const QString& tray, const QFileInfo& sheet) {
    QString name = QDir(tray).filePath(sheet.fileName());
    for (int n = 2; QFileInfo::exists(name); ++n) {
        const QString suffix = sheet.suffix().isEmpty() ? QString() : u'.' + sheet.suffix();
        name = QDir(tray).filePath(sheet.completeBaseName() + u'-' + QString::number(n) + suffix);
    }
    return name;
}

}  // namespace

DiskImportSource::DiskImportSource(const IniSection& settings)
    : cardSlot_(existingFolder(settings, QStringLiteral("CardSlot"))),
      feeder_(existingFolder(settings, QStringLiteral("Feeder"))),
      outputTray_(existingFolder(settings, QStringLiteral("OutputTray"))) {
    QStringList reserved{cardSlot_};
    if (feeder_ != cardSlot_)
        reserved.append(feeder_);
    for (const QString& folder : reserved) {
        const int fd =
            ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0 || ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const bool held = fd >= 0 && errno == EWOULDBLOCK;
            if (fd >= 0)
                ::close(fd);
            for (int lock : locks_)
                ::close(lock);
            throw ControlError(held ? ScannerError::Reserved : ScannerError::NotConnected,
                               held
                                   ? QStringLiteral("%1 is reserved by another program").arg(folder)
                                   : QStringLiteral("%1 cannot be opened").arg(folder));
        }
        locks_.push_back(fd);
    }
}

DiskImportSource::~DiskImportSource() {
    for (int lock : locks_)
        ::close(lock);
}

void DiskImportSource::checkFolders() const {
    for (const QString& folder : {cardSlot_, feeder_, outputTray_})
        if (!QFileInfo(folder).isDir())
            throw ControlError(ScannerError::NotConnected,
                               QStringLiteral("The folder %1 no longer exists").arg(folder));
}

void DiskImportSource::beginRun(Feed feed, std::optional<double>) {
    checkFolders();
    feed_ = feed;
    endRun();
}

QString DiskImportSource::nextSheet() const {
    const bool cards = feed_ == Feed::CardSlot;
    QFileInfoList sheets = QDir(cards ? cardSlot_ : feeder_).entryInfoList(QDir::Files);
    if (sheets.isEmpty())
        return {};
    // Cards: the oldest first; ballots: in name order.
    const auto first = std::min_element(sheets.begin(), sheets.end(),
                                        [cards](const QFileInfo& a, const QFileInfo& b) {
                                            if (cards && a.lastModified() != b.lastModified())
                                                return a.lastModified() < b.lastModified();
                                            return a.fileName() < b.fileName();
                                        });
    return first->filePath();
}

void DiskImportSource::startPage() {
    if (sheetHasMorePages()) {
        ++page_;
        return;
    }
    endRun();
    sheet_ = nextSheet();
    if (sheet_.isEmpty())
        throw ControlError(ScannerError::FeederEmpty, feed_ == Feed::CardSlot
                                                          ? QStringLiteral("The card slot is empty")
                                                          : QStringLiteral("The feeder is empty"));
}

Page DiskImportSource::readPage() {
    if (pages_.empty()) {
        try {
            pages_ = readTiffPages(QFile::encodeName(sheet_).toStdString());
        } catch (const std::runtime_error& error) {
            throw ControlError(
                ScannerError::PaperJam,
                QStringLiteral("Paper jam: %1").arg(QString::fromLocal8Bit(error.what())));
        }
    }
    return pages_[page_];
}

bool DiskImportSource::sheetHasMorePages() const {
    return page_ + 1 < pages_.size();
}

void DiskImportSource::finishPage() {
    if (sheetHasMorePages())
        return;
    const QString sheet = sheet_;
    endRun();
    if (!QFile::rename(sheet, trayName(outputTray_, QFileInfo(sheet))))
        throw ControlError(
            ScannerError::General,
            QStringLiteral("%1 cannot be moved to the output tray %2").arg(sheet, outputTray_));
}

void DiskImportSource::endRun() {
    sheet_.clear();
    pages_.clear();
    page_ = 0;
}
