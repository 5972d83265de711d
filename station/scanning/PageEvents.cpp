// The scanner control's events during a run or a card scan: every page becomes the next image of
// the batch, and scanner errors end the run with their message.

#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <QSet>

#include "controls/ControlError.h"
#include "controls/KScan.h"
#include "database/LHDataAbstraction.h"
#include "scanning/ImageNames.h"
#include "shell/Dialogs.h"
#include "shell/VrelScan.h"

namespace {

// Errors that end a run without a message of their own.
bool Silent(int number) {
    static const QSet<int> silent = {20001, 20012, 20013, 20016, 20018, 20180, 20088, 20096, 20099,
                                     20124, 20125, 20156, 20168, 20172, 20174, 20205, 20444, 20447};
    return silent.contains(number);
}

}  // namespace

void VrelScan::KScan1_Event10() {
    if (CurrentBatch == 0 || EnderPageDone) {
        KScan1.write(KScan::ErrorCode, qint16(0));
    }
}

void VrelScan::KScan1_Event12() {
    if (std::get<QString>(KScan1.read(KScan::OutputFile)) != NextImageFile) {
        KScan1.write(KScan::OutputFile, NextImageFile);
    }
    // True while the sheet goes on with another page for the same image.
    if (!std::get<bool>(KScan1.read(KScan::MorePages))) {
        if (!ScanningHeader) {
            BatchImages.at(ImageCounter).Serial = NextImageSerial.toInt();
        }
        ++ImageCounter;
        NextImageSerial = ImageSerial(SYSTEM_ID, CurrentBatch, ImageCounter);
        NextImageFile = ImageFile(BatchFolder, NextImageSerial);
        if (!ScanningHeader && !ScanningEnder && ImageCounter >= LastImageSequence) {
            StopFullBatch();
        }
    }
    QCoreApplication::processEvents();
}

void VrelScan::KScan1_Event14() {
    if (ScanningHeader) {
        HeaderPageDone = true;
    }
    if (ScanningEnder) {
        EnderPageDone = true;
    }
    if (!ScanningHeader && ImageCounter > 0) {
        lblImageCount->setText(QStringLiteral("Image Count: ") + QString::number(ImageCounter - 1));
    }
    QCoreApplication::processEvents();
}

void VrelScan::KScan1_Event15(qint16& number, QString& description) {
    if (ScanningHeader) {
        HeaderPageDone = true;
    }
    if (ScanningEnder) {
        EnderPageDone = true;
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
        dialogs_.MsgBox(QStringLiteral("Scanner Error %1\r\n%2").arg(number).arg(description),
                        Dialogs::Buttons::OK, Dialogs::Icon::Critical,
                        QStringLiteral("Scanner Error"));
    }

    // A card scan waits for its own flag and leaves the buttons to its handler.
    if (!ScanningHeader && !ScanningEnder) {
        KScan1.write(KScan::ErrorCode, qint16(0));
        cmdStartScanner->setEnabled(true);
        cmdStopScanner->setEnabled(false);
        QCoreApplication::processEvents();
    }
    if (cmdStartScanner->isEnabled()) {
        cmdStartScanner->setFocus();
    }
}

void VrelScan::ScannerControlFailed(const ControlError& error) {
    dialogs_.MsgBox(
        QStringLiteral("Scanner Error %1\r\n%2").arg(error.number()).arg(error.description()),
        Dialogs::Buttons::OK, Dialogs::Icon::Critical, QStringLiteral("Scanner Error"));
    // A run that was starting or under way has stopped with the failure.
    if (cmdStopScanner->isEnabled()) {
        cmdStopScanner->setEnabled(false);
        cmdStartScanner->setEnabled(true);
        UpdateStationStatus(DSNCONNECTSTR, SYSTEM_ID, USER_ID, QStringLiteral("ONLINE"),
                            QStringLiteral("STANDING BY"));
    }
}
