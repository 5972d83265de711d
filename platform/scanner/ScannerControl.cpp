#include "scanner/ScannerControl.h"

#include "controls/ControlError.h"
#include "scanner/DiskImportSource.h"
#include "scanner/SaneSource.h"
#include "scanner/TiffPages.h"

#include <QFile>
#include <QTimer>

#include <filesystem>
#include <stdexcept>

namespace {

using Type = PropertyStore::Type;

std::optional<double> pageLengthInches(qint32 code) {
    switch (code) {
        case KScan::Length11Inches:
            return 11;
        case KScan::Length14Inches:
            return 14;
        case KScan::Length18Inches:
            return 18;
    }
    return std::nullopt;
}

// Where a sheet's pages are written until the sheet is complete. Not a ".tif" name, so that
// nothing takes it for an image.
std::string partialFile(const std::string& path) {
    return path + ".part";
}

ControlError unsupported(const char* what, qint32 value) {
    return ControlError(
        ScannerError::General,
        QStringLiteral("%1 %2 is not supported").arg(QLatin1String(what)).arg(value));
}

}  // namespace

ScannerControl::ScannerControl(QObject* parent)
    : KScan(parent),
      properties_({{Action, Type::Int32},
                   {ActiveDevice, Type::Int32},
                   {DeviceMethod, Type::Int32},
                   {IOWriteMode, Type::Int32},
                   {PageLength, Type::Int32},
                   {IniFile, Type::Text},
                   {IniSectionName, Type::Text},
                   {ImageProcessing, Type::Object},
                   {ErrorCode, Type::Int16},
                   {OutputFile, Type::Text},
                   {MorePages, Type::Boolean, false},
                   {Feeding, Type::Boolean, false},
                   {Setup, Type::Text}}) {}

ScannerControl::~ScannerControl() {
    stopPageReader();
}

void ScannerControl::write(int dispid, const PropertyValue& value) {
    const PropertyValue accepted = properties_.accept(dispid, value);
    const qint32* number = std::get_if<qint32>(&accepted);
    switch (dispid) {
        case Action:
            act(*number);
            break;
        case ActiveDevice:  // each initialisation section names one device
            if (*number != 0)
                throw unsupported("Device", *number);
            break;
        case DeviceMethod:
            if (*number != CardSlot && *number != Feeder)
                throw unsupported("Device method", *number);
            break;
        case IOWriteMode:  // as TIFF
            if (*number != PageToFile)
                throw unsupported("Write mode", *number);
            break;
        case PageLength:
            if (!pageLengthInches(*number))
                throw unsupported("Page length", *number);
            break;
        case ImageProcessing: {
            KImgp* control = std::get<KImgp*>(accepted);
            auto* imaging = qobject_cast<ImagingControl*>(control);
            if (control && !imaging)
                throw ControlError(
                    ScannerError::General,
                    QStringLiteral("The image-processing control does not belong to this scanner"));
            imaging_ = imaging;
            if (imaging)
                imaging->attach(this);
            break;
        }
    }
    properties_.set(dispid, accepted);
}

PropertyValue ScannerControl::read(int dispid) {
    if (dispid == Feeding)
        return running_;
    return properties_.get(dispid);
}

std::optional<bool> ScannerControl::imprinterReady() {
    if (!source_)
        return std::nullopt;
    if (!pageReader_.joinable())
        imprinterReady_ = source_->imprinterReady();
    return imprinterReady_;
}

void ScannerControl::act(qint32 action) {
    switch (action) {
        case OpenDevice:
            if (section_ && !source_)
                open();
            break;
        case Release:
            endRun();
            close();
            section_.reset();
            break;
        case CloseDevice:
            endRun();
            close();
            break;
        case StartFeeding:
            startRun();
            break;
        case StopFeeding:
            stopping_ = true;
            break;
        case LoadSection: {
            endRun();
            close();
            const QString file = properties_.text(IniFile);
            const QString name = properties_.text(IniSectionName);
            section_ = readIniSection(file, name);
            if (!section_)
                throw ControlError(ScannerError::NotConnected,
                                   QStringLiteral("%1 has no section [%2]").arg(file, name));
            try {
                open();
            } catch (const ControlError&) {
                section_.reset();
                throw;
            }
            break;
        }
        case ClearPaperPath:
            endRun();
            break;
        default:
            throw unsupported("Action", action);
    }
}

void ScannerControl::open() {
    const QString kind = section_->value(QStringLiteral("Source"));
    if (kind.compare(u"disk", Qt::CaseInsensitive) == 0)
        source_ = std::make_unique<DiskImportSource>(*section_);
    else if (kind.compare(u"sane", Qt::CaseInsensitive) == 0)
        source_ = std::make_unique<SaneSource>(*section_);
    else
        throw ControlError(ScannerError::NotConnected,
                           QStringLiteral("Unknown scanner source \"%1\"").arg(kind));
}

void ScannerControl::close() {
    stopPageReader();
    source_.reset();
    imprinterReady_.reset();
}

void ScannerControl::startRun() {
    if (!source_)
        throw ControlError(ScannerError::NotConnected, QStringLiteral("No scanner is open"));
    if (running_)
        throw ControlError(ScannerError::General, QStringLiteral("The scanner is already feeding"));
    running_ = true;
    stopping_ = false;
    pagesDone_ = 0;
    side_ = 0;
    appendTo_.clear();
    ++run_;
    post(&ScannerControl::beginPages);
}

void ScannerControl::endRun() {
    stopPageReader();
    removePartialSheet();
    if (running_ && source_)
        source_->endRun();
    running_ = false;
    ++run_;
}

void ScannerControl::stopPageReader() {
    if (!pageReader_.joinable())
        return;
    source_->cancelPage();
    pageReader_.join();
}

void ScannerControl::post(void (ScannerControl::*step)()) {
    QTimer::singleShot(0, this, [this, step, run = run_] {
        if (run == run_)
            (this->*step)();
    });
}

void ScannerControl::beginPages() {
    const QPointer<ScannerControl> alive(this);
    emit event10();
    if (!alive || !running_)
        return;
    const auto feed = properties_.integer(DeviceMethod) == CardSlot ? PageSource::Feed::CardSlot
                                                                    : PageSource::Feed::Feeder;
    try {
        if (imprinterReady())
            source_->setImprint(imaging_ ? imaging_->endorsement() : std::nullopt);
        source_->beginRun(feed, pageLengthInches(properties_.integer(PageLength)));
    } catch (const ControlError& error) {
        fail(error);
        return;
    }
    post(&ScannerControl::scanPage);
}

// One page: event 11, the page is read off the control's thread, event 12, the page is stored
// under the name that OutputFile holds after event 12, event 14. Handlers may stop or release the
// scanner, or delete it, while an event is being delivered or the page is being read.
void ScannerControl::scanPage() {
    if (stopping_ && side_ == 0) {
        endRun();
        return;
    }
    const QPointer<ScannerControl> alive(this);
    try {
        source_->startPage();
    } catch (const ControlError& error) {
        fail(error);
        return;
    }
    emit event11();
    if (!alive || !running_)
        return;
    readFailure_.reset();
    pageReader_ = std::thread([this, source = source_.get(), run = run_] {
        try {
            readPage_ = source->readPage();
            readMorePages_ = source->sheetHasMorePages();
        } catch (const ControlError& error) {
            readFailure_ = error;
        } catch (const std::exception& error) {
            // Whatever else goes wrong with a page ends the run as a scanner error.
            readFailure_ =
                ControlError(ScannerError::General, QString::fromLocal8Bit(error.what()));
        } catch (...) {
            readFailure_ =
                ControlError(ScannerError::General, QStringLiteral("The page cannot be read"));
        }
        QMetaObject::invokeMethod(
            this,
            [this, run] {
                if (run == run_)
                    pageRead();
            },
            Qt::QueuedConnection);
    });
}

void ScannerControl::pageRead() {
    pageReader_.join();
    if (readFailure_) {
        fail(*readFailure_);
        return;
    }
    const QPointer<ScannerControl> alive(this);
    Page page = std::move(readPage_);
    const bool morePages = readMorePages_;
    properties_.set(MorePages, morePages);
    ++side_;
    emit event12();
    if (!alive || !running_)
        return;
    try {
        storePage(page, morePages);
        source_->finishPage();
    } catch (const ControlError& error) {
        fail(error);
        return;
    }
    const qint32 side = side_;
    if (!morePages)
        side_ = 0;
    ++pagesDone_;
    emit event14(pagesDone_, side);
    if (!alive || !running_)
        return;
    const bool cardDone = properties_.integer(DeviceMethod) == CardSlot && !morePages;
    if (cardDone)
        endRun();
    else
        post(&ScannerControl::scanPage);
}

// A sheet's pages go to a file of its own until the sheet's last page is written; only then does
// the file take its name, so that a write that fails (a full disk) leaves no file under that name.
void ScannerControl::storePage(Page& page, bool morePages) {
    const QString file = properties_.text(OutputFile);
    if (file.isEmpty())
        throw ControlError(ScannerError::General, QStringLiteral("No output file is named"));
    // An endorser prints once a sheet, on its front.
    if (imaging_ && side_ == 1)
        imaging_->endorse(page);
    const bool append = file == appendTo_;
    if (!append)
        removePartialSheet();  // of a sheet left unfinished under another name
    appendTo_.clear();
    const std::string path = QFile::encodeName(file).toStdString();
    const std::string partial = partialFile(path);
    try {
        writeTiffPage(partial, page, append);
    } catch (const std::runtime_error& error) {
        std::filesystem::remove(partial);
        throw ControlError(ScannerError::General, QString::fromLocal8Bit(error.what()));
    }
    if (morePages) {
        appendTo_ = file;
        return;
    }
    std::error_code failure;
    std::filesystem::rename(partial, path, failure);
    if (failure) {
        std::filesystem::remove(partial);
        throw ControlError(ScannerError::General,
                           QString::fromLocal8Bit(path + ": " + failure.message()));
    }
}

void ScannerControl::removePartialSheet() {
    if (!appendTo_.isEmpty()) {
        std::error_code ignored;  // a folder removed meanwhile holds no partial file either
        std::filesystem::remove(partialFile(QFile::encodeName(appendTo_).toStdString()), ignored);
    }
    appendTo_.clear();
}

void ScannerControl::fail(const ControlError& error) {
    endRun();
    properties_.set(ErrorCode, qint16(error.number()));
    qint16 number = qint16(error.number());
    QString description = error.description();
    emit event15(number, description);
}
