// Batch opening: Start Batch scans the header card alone, settles the batch number, creates the
// batch row and folder, makes the header image the batch's first image and opens the batch.

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <exception>

#include "BatchFiles.h"
#include "BatchNumberDialogue.h"
#include "Dialogs.h"
#include "ErrorText.h"
#include "ImageNames.h"
#include "KScan.h"
#include "LHDLLInterface.h"
#include "LHDataAbstraction.h"
#include "TextColour.h"
#include "VrelScan.h"

namespace {

void BadHeaderCard(Dialogs& dialogs, const QString& text, const QString& headerFile) {
    dialogs.MsgBox(text, Dialogs::Buttons::OK, Dialogs::Icon::Exclamation,
                   QStringLiteral("Bad Header Card"));
    DeleteFileIfExists(headerFile);
}

}  // namespace

void VrelScan::cmdStartBatch_Click() {
    QString failure;
    try {
        StartBatchSteps();
    } catch (const std::exception& error) {
        failure = ErrorText(error);
    }
    ScanningHeader = false;
    HeaderPageDone = false;
    if (!failure.isEmpty()) {
        dialogs_.MsgBox(failure, Dialogs::Buttons::OK, Dialogs::Icon::None);
    }
}

void VrelScan::StartBatchSteps() {
    // Before any batch number is proposed or checked, the rows of batches lost while the
    // database could not be reached go, now that it may answer again.
    lostBatches_.RemoveKept(DSNCONNECTSTR, SYSTEM_ID);
    ORLAProtocol7TypeDefs::BallotMarks marks{};
    ScanningHeader = true;
    HeaderPageDone = false;
    KScan1.write(47, qint32(128));
    dialogs_.MsgBox(QStringLiteral("Place Header Card into scanner.  Click OK when Ready."),
                    Dialogs::Buttons::OK, Dialogs::Icon::None, QStringLiteral("Scan Header Card"));

    const QString headerFile = INTRAY + QStringLiteral("HEADER.tif");
    BatchFolder = INTRAY;
    NextImageFile = headerFile;
    DeleteFileIfExists(headerFile);
    if (!ScanCard(HeaderPageDone)) {
        return;
    }

    LHDLLInterface::ClearImageBuffer();
    if (LHDLLInterface::ReadBallotMarks(QFile::encodeName(headerFile).toStdString(), marks) != 0) {
        BadHeaderCard(dialogs_,
                      QStringLiteral("Unable to read header card.  Try again with a different "
                                     "card."),
                      headerFile);
        return;
    }
    if (!ORLAProtocol7TypeDefs::IsHeaderCard(marks.CardType)) {
        BadHeaderCard(dialogs_,
                      QStringLiteral("Scanned card is not a header card.  Start batch cancelled."),
                      headerFile);
        return;
    }
    if (marks.CardType == -5) {
        // An abandoned dialogue leaves HEADER.tif for the next Start Batch to delete.
        const std::optional<qint16> chosen = AssignBatchNumber(dialogs_, DSNCONNECTSTR, SYSTEM_ID);
        if (!chosen) {
            return;
        }
        marks.BatchNumber = *chosen;
    } else if (!IsBatchNumber(marks.BatchNumber)) {
        BadHeaderCard(dialogs_,
                      QStringLiteral("Header card carries batch ") +
                          QString::number(marks.BatchNumber) +
                          QStringLiteral(", outside 1 to 999.  Start batch cancelled."),
                      headerFile);
        return;
    }

    const qint16 n = marks.BatchNumber;
    QString refusal;
    if (BatchExists(DSNCONNECTSTR, SYSTEM_ID, n)) {
        refusal = QStringLiteral("Batch ") + QString::number(n) +
                  QStringLiteral(" has already been used.  Unable to proceed.");
    } else if (!CreateBatch(DSNCONNECTSTR, n, SYSTEM_ID, USER_ID)) {
        // Images stored under a batch without its row would belong to no batch. The row may
        // have gone in before the connection broke; it goes before n is used again.
        lostBatches_.Remove(DSNCONNECTSTR, SYSTEM_ID, n);
        refusal = QStringLiteral(
                      "Batch %1 could not be written to the database, which cannot be "
                      "reached.  Start batch cancelled.  Click 'Start Batch' again "
                      "when the database answers.")
                      .arg(n);
    }
    if (!refusal.isEmpty()) {
        dialogs_.MsgBox(refusal, Dialogs::Buttons::OK, Dialogs::Icon::Exclamation,
                        QStringLiteral("Invalid Batch"));
        DeleteFileIfExists(headerFile);
        CurrentBatch = 0;
        ImageCounter = 0;
        return;
    }
    CurrentBatch = n;

    BatchFolder = BatchFolderName(INTRAY, SYSTEM_ID, n);
    PrepareBatchFolder(BatchFolder);
    const QString headerSerial = ImageSerial(SYSTEM_ID, n, 0);
    CopyImageFile(headerFile, ImageFile(BatchFolder, headerSerial));
    DeleteFileIfExists(headerFile);
    BatchImages.assign(BatchImagesSize, BatchImage{});
    BatchImages[0].Serial = headerSerial.toInt();

    cmdStartBatch->setEnabled(false);
    cmdEndBatch->setEnabled(true);
    cmdStartScanner->setEnabled(true);
    cmdStopScanner->setEnabled(false);
    SetTextColour(*lblBatch, QColor(0, 0, 0));
    lblBatch->setText(QStringLiteral("Current Batch: ") + QString::number(n));
    lblImageCount->setText(QStringLiteral("Image Count: 0"));
    ImageCounter = 1;
    NextImageSerial = ImageSerial(SYSTEM_ID, n, ImageCounter);
    NextImageFile = ImageFile(BatchFolder, NextImageSerial);
    cmdStartScanner->setFocus();
}
