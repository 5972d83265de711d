// The scanner control's events during a run or a card scan: every page becomes the next image of
// the batch, and scanner errors end the run with their message.

#include <QCoreApplication>
#include <QFile>
#include <QSet>
#include <algorithm>
#include <utility>

#include "audit/AuditLog.h"
#include "controls/ControlError.h"
#include "controls/KScan.h"
#include "images/ImageNames.h"
#include "images/ImageSeal.h"
#include "scanning/AuditedErrors.h"
#include "scanning/BatchCycle.h"
#include "scanning/BatchView.h"
#include "settings/StationSettings.h"
#include "shell/Dialogs.h"

namespace {

// Errors that end a run without a message of their own.
bool Silent(int number) {
    static const QSet<int> silent = {20001, 20012, 20013, 20016, 20018, 20180, 20088, 20096, 20099,
                                     20124, 20125, 20156, 20168, 20172, 20174, 20205, 20444, 20447};
    return silent.contains(number);
}

void ShowScannerError(Dialogs& dialogs, int number, const QString& description) {
    dialogs.MsgBox(QStringLiteral("Scanner Error %1\r\n%2").arg(number).arg(description),
                   Dialogs::Buttons::OK, Dialogs::Icon::Critical, QStringLiteral("Scanner Error"));
}

}  // namespace

void BatchCycle::Event10() {
    if (state_.CurrentBatch == 0 || state_.EnderPageDone) {
        KScan1.write(KScan::ErrorCode, qint16(0));
    }
}

void BatchCycle::Event12() {
    BatchState& b = state_;
    if (std::get<QString>(KScan1.read(KScan::OutputFile)) != b.NextImageFile) {
        KScan1.write(KScan::OutputFile, b.NextImageFile);
    }
    // True while the sheet goes on with another page for the same image.
    b.SheetUnfinished = std::get<bool>(KScan1.read(KScan::MorePages));
    if (!b.SheetUnfinished) {
        if (!b.ScanningHeader) {
            b.BatchImages.at(b.ImageCounter).Serial = b.NextImageSerial.toInt();
        }
        b.PageEnded = PageBeingWritten{b.ScanningHeader ? 0 : b.ImageCounter, b.NextImageFile};
        ++b.ImageCounter;
        b.NextImageSerial = ImageSerial(settings_.SYSTEM_ID, b.CurrentBatch, b.ImageCounter);
        b.NextImageFile = ImageFile(b.BatchFolder, b.NextImageSerial);
        if (!b.ScanningHeader && !b.ScanningEnder && b.ImageCounter >= LastImageSequence) {
            StopFullBatch();
        }
    }
    QCoreApplication::processEvents();
}

void BatchCycle::Event14() {
    SealWrittenImage();
    if (state_.ScanningHeader) {
        state_.HeaderPageDone = true;
    }
    if (state_.ScanningEnder) {
        state_.EnderPageDone = true;
    }
    if (!state_.ScanningHeader && state_.ImageCounter > 0) {
        view_.ShowImageCount(QStringLiteral("Image Count: ") +
                             QString::number(state_.ImageCounter - 1));
    }
    QCoreApplication::processEvents();
}

void BatchCycle::Event15(qint16& number, QString& description) {
    // The page under way is settled first, so that the run ends with the images it wrote. A sheet
    // whose image was not written has still been fed: its sequence number.
    std::optional<qint32> notWritten;
    if (state_.PageEnded) {
        if (QFile::exists(state_.PageEnded->file)) {
            SealWrittenImage();
        } else {
            notWritten = TakeBackUnwrittenImage();
        }
    } else if (std::exchange(state_.SheetUnfinished, false)) {
        notWritten = state_.ImageCounter;
    }
    AuditScannerError(number, description);
    if (state_.ScanningHeader) {
        state_.HeaderPageDone = true;
    }
    if (state_.ScanningEnder) {
        state_.EnderPageDone = true;
    }

    if (number == ScannerError::FeederEmpty) {
        dialogs_.MsgBox(QStringLiteral("Feeder Empty.  Add more pages to scan and click 'Start "
                                       "Scanner' to continue."),
                        Dialogs::Buttons::OK, Dialogs::Icon::Exclamation,
                        QStringLiteral("Feeder Empty"));
    } else if (number == ScannerError::MultiFeed) {
        KScan1.write(KScan::Action, KScan::ClearPaperPath);
        dialogs_.MsgBox(QStringLiteral("Multi-Feed Detected!\r\nClear partially fed ballots from "
                                       "feeder path.\r\nFan ballots and replace in feeder."),
                        Dialogs::Buttons::OK, Dialogs::Icon::Exclamation,
                        QStringLiteral("Multi-feed Error"));
        dialogs_.MsgBox(QStringLiteral("Click 'Start Scanner' to continue."), Dialogs::Buttons::OK,
                        Dialogs::Icon::None, QStringLiteral("Multi-feed Error"));
    } else if (number == ScannerError::PaperJam) {
        dialogs_.MsgBox(QStringLiteral("Paper Jam Detected.  Remove jam and re-start scanner."),
                        Dialogs::Buttons::OK, Dialogs::Icon::Exclamation,
                        QStringLiteral("Paper Jam"));
    } else if (!Silent(number)) {
        ShowScannerError(dialogs_, number, description);
    }
    // A card scan has its own step for a card that was not written.
    if (notWritten && number == ScannerError::General && !state_.ScanningHeader &&
        !state_.ScanningEnder) {
        ShowSheetToFeedAgain(*notWritten);
    }

    // A card scan waits for its own flag and leaves the buttons to its step.
    if (!state_.ScanningHeader && !state_.ScanningEnder) {
        KScan1.write(KScan::ErrorCode, qint16(0));
        SetMode(StationMode::BatchOpen);
        QCoreApplication::processEvents();
    }
    if (mode_ == StationMode::BatchOpen) {
        view_.FocusStartScanner();
    }
}

void BatchCycle::ScannerControlFailed(const ControlError& error) {
    AuditScannerError(error.number(), error.description());
    ShowScannerError(dialogs_, error.number(), error.description());
    // A run that was starting or under way has stopped with the failure.
    if (mode_ == StationMode::Scanning) {
        SetMode(StationMode::BatchOpen);
        ReportTask(QStringLiteral("STANDING BY"));
    }
}

void BatchCycle::AuditScannerError(qint64 number, const QString& description) {
    const QString during = state_.ScanningHeader  ? QStringLiteral("header card")
                           : state_.ScanningEnder ? QStringLiteral("ender card")
                                                  : QStringLiteral("run");
    ::AuditScannerError(audit_, number, description, during);
    if (mode_ == StationMode::Scanning) {
        AuditRunStopped(QStringLiteral("scanner error"));
    }
}

void BatchCycle::SealWrittenImage() {
    if (!state_.PageEnded) {
        return;
    }
    const PageBeingWritten page = *std::exchange(state_.PageEnded, std::nullopt);
    if (!state_.SealImages) {
        return;
    }
    std::vector<std::string>& seals = state_.ImageSeals;
    seals.resize(std::max(seals.size(), std::size_t(page.sequence) + 1));
    seals[page.sequence] = SealOfFile(QFile::encodeName(page.file).toStdString());
}

std::optional<qint32> BatchCycle::TakeBackUnwrittenImage() {
    const PageBeingWritten page = *std::exchange(state_.PageEnded, std::nullopt);
    // A header card that was not written leaves no batch to take anything back from.
    if (state_.ScanningHeader) {
        return std::nullopt;
    }
    audit_.Append(
        QStringLiteral("image-not-written"),
        {{"batch", state_.CurrentBatch}, {"serial", state_.BatchImages.at(page.sequence).Serial}});
    GiveImageBack(page.sequence);
    return page.sequence;
}

// A scanner that feeds the sheet through has put it out before its image failed, imprinted with
// the serial when the run endorses; the disk-import feeder keeps it on top. Fed again first, it
// is scanned again under the same serial, the same number printed over the first.
void BatchCycle::ShowSheetToFeedAgain(qint32 sequence) {
    const QString serial = ImageSerial(settings_.SYSTEM_ID, state_.CurrentBatch, sequence);
    const QString sheet = state_.Endorsing ? QStringLiteral("the sheet imprinted %1").arg(serial)
                                           : QStringLiteral("the last sheet fed");
    QString text = QStringLiteral(
                       "The image of %1 was not stored.  If that sheet has come out of "
                       "the scanner, put it back on top of the feeder so that it is "
                       "fed first: it is scanned again as image %2.")
                       .arg(sheet, serial);
    if (state_.Endorsing) {
        text += QStringLiteral(
                    "  Any other sheet fed first would be imprinted %1 as well and "
                    "stored as image %1, and the sheet imprinted %1 would carry a "
                    "second number when it is fed.")
                    .arg(serial);
    }
    dialogs_.MsgBox(text, Dialogs::Buttons::OK, Dialogs::Icon::Exclamation,
                    QStringLiteral("Feed Sheet Again"));
}

void BatchCycle::GiveImageBack(qint32 k) {
    BatchState& b = state_;
    b.BatchImages.at(k) = BatchImage{};
    b.ImageSeals.resize(std::min(b.ImageSeals.size(), std::size_t(k)));
    b.ImageCounter = k;
    b.NextImageSerial = ImageSerial(settings_.SYSTEM_ID, b.CurrentBatch, k);
    b.NextImageFile = ImageFile(b.BatchFolder, b.NextImageSerial);
}
