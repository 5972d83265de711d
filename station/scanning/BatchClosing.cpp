// Batch closing: End Batch scans the ender card as the batch's next image, stores the batch,
// writes its tallies, shows the summary, closes the batch row and stands the station by.

#include <QDir>
#include <QFile>
#include <QJsonObject>
#include <exception>

#include "audit/AuditAnchoring.h"
#include "audit/AuditLog.h"
#include "controls/ControlSequences.h"
#include "database/LHDataAbstraction.h"
#include "images/BatchFiles.h"
#include "images/ImageNames.h"
#include "images/ImageSeal.h"
#include "scanning/AuditedErrors.h"
#include "scanning/BatchCycle.h"
#include "scanning/BatchView.h"
#include "scanning/LHDLLInterface.h"
#include "settings/StationSettings.h"
#include "shell/Dialogs.h"

void BatchCycle::EndBatch() {
    try {
        EndBatchSteps();
    } catch (const std::exception& error) {
        // The steps already done stay done; nothing is shown.
        AuditUnexpectedError(audit_, error, QStringLiteral("End Batch"));
    }
    state_.ScanningEnder = false;
    state_.EnderPageDone = false;
}

void BatchCycle::EndBatchSteps() {
    // The ender card cannot be scanned on its own while ballots are still being fed.
    if (mode_ == StationMode::Scanning) {
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
    state_.ScanningEnder = true;
    state_.EnderPageDone = false;
    const qint32 k = state_.ImageCounter;
    const QString enderSerial = ImageSerial(settings_.SYSTEM_ID, state_.CurrentBatch, k);
    const QString enderFile = ImageFile(state_.BatchFolder, enderSerial);
    // The next page, or the next ender card, takes the ender's sequence number again.
    const auto giveSlotBack = [&] {
        DeleteFileIfExists(enderFile);
        GiveImageBack(k);
    };

    // The ender card is not endorsed, and the endorser stays off until the next run sets it.
    SetEndorser(KImgp1, std::nullopt);
    if (!ScanCard(state_.EnderPageDone)) {
        return;
    }

    LHDLLInterface::ClearImageBuffer();
    if (LHDLLInterface::ReadBallotMarks(QFile::encodeName(enderFile).toStdString(), marks) != 0) {
        dialogs_.MsgBox(
            QStringLiteral("Unable to read ender card.  Try again with a different card."),
            Dialogs::Buttons::OK, Dialogs::Icon::Exclamation, QStringLiteral("Bad Ender Card"));
        giveSlotBack();
        return;
    }
    const qint16 n = state_.CurrentBatch;
    // The last five-digit sequence number is kept for the ender card: a batch that holds it
    // has no room for another image, whose serial would not fit.
    if (k == LastImageSequence && !ORLAProtocol7TypeDefs::IsEnderCard(marks.CardType)) {
        dialogs_.MsgBox(
            QStringLiteral("Scanned card is not a ender card and batch ") + QString::number(n) +
                QStringLiteral(" is full.  Take that sheet from the output tray and "
                               "scan it in the next batch, then place the ender card "
                               "and click 'End Batch' again."),
            Dialogs::Buttons::OK, Dialogs::Icon::Exclamation, QStringLiteral("Bad Ender Card"));
        giveSlotBack();
        return;
    }
    state_.BatchImages.at(k).Serial = enderSerial.toInt();
    if (!ORLAProtocol7TypeDefs::IsEnderCard(marks.CardType)) {
        dialogs_.MsgBox(QStringLiteral("Scanned card is not a ender card.  Image will be added to "
                                       "the batch.  End batch cancelled."),
                        Dialogs::Buttons::OK, Dialogs::Icon::Exclamation,
                        QStringLiteral("Bad Ender Card"));
        return;
    }
    view_.ShowImageCount(QStringLiteral("Image Count: ") + QString::number(state_.ImageCounter));

    // A batch whose rows the database did not all take is lost and scanned again, rather than
    // left open for the next start to delete after its summary was shown.
    if (!StoreScannedBatchIntoDatabase() ||
        !UpdateBatchTallies(settings_.DSNCONNECTSTR, settings_.SYSTEM_ID, n)) {
        LoseBatch();
        return;
    }
    const BatchState& b = state_;
    QJsonObject ended = {{"batch", n},
                         {"images", b.ImageCounter},
                         {"headers_enders", b.HeaderCardCount + b.EnderCardCount},
                         {"ballots", b.BallotCount},
                         {"repair", b.RepairCount},
                         {"discarded", b.DiscardedCount}};
    if (b.SealImages) {
        // Stored, so every image has its seal.
        const std::vector<std::string> seals(b.ImageSeals.begin(),
                                             b.ImageSeals.begin() + b.ImageCounter);
        ended.insert(QStringLiteral("seal"), QString::fromStdString(SealOfBatch(seals)));
    }
    audit_.Append(QStringLiteral("batch-ended"), ended);
    // Anchored at once, so that the centre holds the batch's seal before the batch is closed.
    AnchorAuditLog(audit_, settings_.DSNCONNECTSTR, settings_.SYSTEM_ID);
    dialogs_.MsgBox(
        QStringLiteral("Batch ") + QString::number(n) +
            QStringLiteral(" is closed.  Remove ballots from output tray before continuing.\r\n") +
            QStringLiteral("Image Count: ") + QString::number(b.ImageCounter) +
            QStringLiteral("\r\n") + QStringLiteral("    Header / Ender: ") +
            QString::number(b.HeaderCardCount + b.EnderCardCount) + QStringLiteral("\r\n") +
            QStringLiteral("    Ballot Count: ") + QString::number(b.BallotCount) +
            QStringLiteral("\r\n") + QStringLiteral("    Repair Count: ") +
            QString::number(b.RepairCount) + QStringLiteral("\r\n") +
            QStringLiteral("    Discarded: ") + QString::number(b.DiscardedCount) +
            QStringLiteral("\r\n"),
        Dialogs::Buttons::OK, Dialogs::Icon::None,
        QStringLiteral("Batch ") + QString::number(n) + QStringLiteral(" Ended"));
    // A close that the database did but whose answer was lost leaves the batch closed, and a
    // closed batch is final: it is not lost, and its ballots are not to be scanned again.
    if (!CloseBatch(settings_.DSNCONNECTSTR, settings_.SYSTEM_ID, n, b.ImageCounter,
                    b.BallotCount) &&
        !BatchClosed(settings_.DSNCONNECTSTR, settings_.SYSTEM_ID, n)) {
        LoseBatch();
        return;
    }
    audit_.Append(QStringLiteral("batch-closed"),
                  {{"batch", n}, {"images", b.ImageCounter}, {"ballots", b.BallotCount}});
    LeaveBatch(QStringLiteral("BATCH CLOSED"));
}

void BatchCycle::LoseBatch() {
    const qint16 n = state_.CurrentBatch;
    const QString title = QStringLiteral("Batch ") + QString::number(n) + QStringLiteral(" Lost");
    audit_.Append(QStringLiteral("batch-lost"), {{"batch", n}, {"images", state_.ImageCounter}});
    dialogs_.MsgBox(QStringLiteral("Error occurred during data storage.  Batch has been "
                                   "lost.  Rescan batch."),
                    Dialogs::Buttons::OK, Dialogs::Icon::Critical, title);
    if (!lostBatches_.Remove(settings_.DSNCONNECTSTR, settings_.SYSTEM_ID, n)) {
        dialogs_.MsgBox(
            QStringLiteral("The database cannot be reached, so batch %1 is still in it.  The "
                           "station removes it when the database answers again, at the next "
                           "Start Batch; batch %1 can then be scanned again under its number.  "
                           "The image files stay in %2.")
                .arg(n)
                .arg(QDir::toNativeSeparators(state_.BatchFolder)),
            Dialogs::Buttons::OK, Dialogs::Icon::Exclamation, title);
    }
    // The operator rescans the batch from a new Start Batch.
    LeaveBatch(QStringLiteral("BATCH LOST"));
}

void BatchCycle::RemoveLostBatches() {
    lostBatches_.RemoveKept(settings_.DSNCONNECTSTR, settings_.SYSTEM_ID);
}

void BatchCycle::LeaveBatch(const QString& batchCaption) {
    SetMode(StationMode::NoBatch);
    view_.ShowBatch(batchCaption, false);
    view_.ShowImageCount(QStringLiteral("Image Count:"));
    state_.CurrentBatch = 0;
    state_.ImageCounter = 0;
    state_.BatchFolder = settings_.INTRAY;
    view_.FocusStartBatch();
    ReportTask(QStringLiteral("STANDING BY"));
    AnchorAuditLog(audit_, settings_.DSNCONNECTSTR, settings_.SYSTEM_ID);
}
