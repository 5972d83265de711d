// Batch closing: End Batch scans the ender card as the batch's next image, stores the batch,
// writes its tallies, shows the summary, closes the batch row and stands the station by.

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <exception>

#include "controls/ControlSequences.h"
#include "database/LHDataAbstraction.h"
#include "scanning/BatchFiles.h"
#include "scanning/ImageNames.h"
#include "scanning/LHDLLInterface.h"
#include "scanning/TextColour.h"
#include "shell/Dialogs.h"
#include "shell/VrelScan.h"

void VrelScan::cmdEndBatch_Click() {
    try {
        EndBatchSteps();
    } catch (const std::exception&) {
        // The steps already done stay done; nothing is shown.
    }
    ScanningEnder = false;
    EnderPageDone = false;
}

void VrelScan::EndBatchSteps() {
    // The ender card cannot be scanned on its own while ballots are still being fed.
    if (cmdStopScanner->isEnabled()) {
        dialogs_.MsgBox(QStringLiteral("Click 'Stop Scanner' before ending the batch."),
                        Dialogs::Buttons::OK, Dialogs::Icon::Exclamation,
                        QStringLiteral("Scanner Running"));
        return;
    }
    ORLAProtocol7TypeDefs::BallotMarks marks{};
    KScan1.write(KScan::PageLength, KScan::Length11Inches);
    if (dialogs_.MsgBox(QStringLiteral("Place Ender Card into scanner.  Click OK when Ready."),
                        Dialogs::Buttons::OKCancel, Dialogs::Icon::None,
                        QStringLiteral("Scan Ender Card")) == Dialogs::Answer::Cancel) {
        return;
    }
    // The last page of a run stopped just before may still arrive while the box is open: it is
    // a ballot of the batch. The ender card's scan, and its slot, begin only now.
    ScanningEnder = true;
    EnderPageDone = false;
    const qint32 k = ImageCounter;
    const QString enderSerial = ImageSerial(SYSTEM_ID, CurrentBatch, k);
    const QString enderFile = ImageFile(BatchFolder, enderSerial);

    // The ender card is not endorsed, and the endorser stays off until the next run sets it.
    SetEndorser(KImgp1, std::nullopt);
    if (!ScanCard(EnderPageDone)) {
        return;
    }

    LHDLLInterface::ClearImageBuffer();
    if (LHDLLInterface::ReadBallotMarks(QFile::encodeName(enderFile).toStdString(), marks) != 0) {
        dialogs_.MsgBox(
            QStringLiteral("Unable to read ender card.  Try again with a different card."),
            Dialogs::Buttons::OK, Dialogs::Icon::Exclamation, QStringLiteral("Bad Ender Card"));
        DeleteFileIfExists(enderFile);
        // The next page, or the next ender card, takes the ender's sequence number again.
        ImageCounter = k;
        NextImageSerial = enderSerial;
        NextImageFile = enderFile;
        return;
    }
    const qint16 n = CurrentBatch;
    // The last five-digit sequence number is kept for the ender card: a batch that holds it
    // has no room for another image, whose serial would not fit.
    if (k == LastImageSequence && !ORLAProtocol7TypeDefs::IsEnderCard(marks.CardType)) {
        dialogs_.MsgBox(
            QStringLiteral("Scanned card is not a ender card and batch ") + QString::number(n) +
                QStringLiteral(" is full.  Take that sheet from the output tray and "
                               "scan it in the next batch, then place the ender card "
                               "and click 'End Batch' again."),
            Dialogs::Buttons::OK, Dialogs::Icon::Exclamation, QStringLiteral("Bad Ender Card"));
        DeleteFileIfExists(enderFile);
        BatchImages.at(k) = BatchImage{};
        ImageCounter = k;
        NextImageSerial = enderSerial;
        NextImageFile = enderFile;
        return;
    }
    BatchImages.at(k).Serial = enderSerial.toInt();
    if (!ORLAProtocol7TypeDefs::IsEnderCard(marks.CardType)) {
        dialogs_.MsgBox(QStringLiteral("Scanned card is not a ender card.  Image will be added to "
                                       "the batch.  End batch cancelled."),
                        Dialogs::Buttons::OK, Dialogs::Icon::Exclamation,
                        QStringLiteral("Bad Ender Card"));
        return;
    }
    lblImageCount->setText(QStringLiteral("Image Count: ") + QString::number(ImageCounter));

    // A batch whose rows the database did not all take is lost and scanned again, rather than
    // left open for the next start to delete after its summary was shown.
    if (!StoreScannedBatchIntoDatabase() || !UpdateBatchTallies(DSNCONNECTSTR, SYSTEM_ID, n)) {
        LoseBatch();
        return;
    }
    dialogs_.MsgBox(
        QStringLiteral("Batch ") + QString::number(n) +
            QStringLiteral(" is closed.  Remove ballots from output tray before continuing.\r\n") +
            QStringLiteral("Image Count: ") + QString::number(ImageCounter) +
            QStringLiteral("\r\n") + QStringLiteral("    Header / Ender: ") +
            QString::number(HeaderCardCount + EnderCardCount) + QStringLiteral("\r\n") +
            QStringLiteral("    Ballot Count: ") + QString::number(BallotCount) +
            QStringLiteral("\r\n") + QStringLiteral("    Repair Count: ") +
            QString::number(RepairCount) + QStringLiteral("\r\n") +
            QStringLiteral("    Discarded: ") + QString::number(DiscardedCount) +
            QStringLiteral("\r\n"),
        Dialogs::Buttons::OK, Dialogs::Icon::None,
        QStringLiteral("Batch ") + QString::number(n) + QStringLiteral(" Ended"));
    if (!CloseBatch(DSNCONNECTSTR, SYSTEM_ID, n, ImageCounter, BallotCount)) {
        LoseBatch();
        return;
    }
    LeaveBatch(QStringLiteral("BATCH CLOSED"));
}

void VrelScan::LoseBatch() {
    const QString title =
        QStringLiteral("Batch ") + QString::number(CurrentBatch) + QStringLiteral(" Lost");
    dialogs_.MsgBox(QStringLiteral("Error occurred during data storage.  Batch has been "
                                   "lost.  Rescan batch."),
                    Dialogs::Buttons::OK, Dialogs::Icon::Critical, title);
    if (!lostBatches_.Remove(DSNCONNECTSTR, SYSTEM_ID, CurrentBatch)) {
        dialogs_.MsgBox(
            QStringLiteral("The database cannot be reached, so batch %1 is still in it.  The "
                           "station removes it when the database answers again, at the next "
                           "Start Batch; batch %1 can then be scanned again under its number.  "
                           "The image files stay in %2.")
                .arg(CurrentBatch)
                .arg(QDir::toNativeSeparators(BatchFolder)),
            Dialogs::Buttons::OK, Dialogs::Icon::Exclamation, title);
    }
    // The operator rescans the batch from a new Start Batch.
    LeaveBatch(QStringLiteral("BATCH LOST"));
}

void VrelScan::LeaveBatch(const QString& batchCaption) {
    cmdStartScanner->setEnabled(false);
    cmdStopScanner->setEnabled(false);
    cmdStartBatch->setEnabled(true);
    cmdEndBatch->setEnabled(false);
    lblBatch->setText(batchCaption);
    SetTextColour(*lblBatch, QColor(255, 0, 0));
    lblImageCount->setText(QStringLiteral("Image Count:"));
    CurrentBatch = 0;
    ImageCounter = 0;
    BatchFolder = INTRAY;
    cmdStartBatch->setFocus();
    UpdateStationStatus(DSNCONNECTSTR, SYSTEM_ID, USER_ID, QStringLiteral("ONLINE"),
                        QStringLiteral("STANDING BY"));
}
