// Batch opening: Start Batch scans the header card alone, settles the batch number, creates the
// batch row and folder, makes the header image the batch's first image and opens the batch.

#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <exception>

#include "audit/AuditLog.h"
#include "controls/KScan.h"
#include "database/LHDataAbstraction.h"
#include "images/BatchFiles.h"
#include "images/ImageNames.h"
#include "images/ImageSeal.h"
#include "scanning/AuditedErrors.h"
#include "scanning/BatchCycle.h"
#include "scanning/BatchNumberDialogue.h"
#include "scanning/BatchView.h"
#include "scanning/ErrorText.h"
#include "scanning/LHDLLInterface.h"
#include "settings/StationSettings.h"
#include "shell/Dialogs.h"

namespace {

void BadHeaderCard(Dialogs& dialogs, const QString& text, const QString& headerFile) {
    dialogs.MsgBox(text, Dialogs::Buttons::OK, Dialogs::Icon::Exclamation,
                   QStringLiteral("Bad Header Card"));
    DeleteFileIfExists(headerFile);
}

// The ".tif" files that an earlier batch of the same number left in its folder are removed; the
// log keeps what each of them was.
void RecordLeftoverImages(AuditLog& audit, qint16 batchNo, const QString& folder) {
    QJsonArray files;
    for (const QString& name : ImageFilesIn(folder)) {
        const std::string seal = SealOfFile(QFile::encodeName(folder + name).toStdString());
        files.append(QJsonObject{{"file", name}, {"sha256", QString::fromStdString(seal)}});
    }
    if (!files.isEmpty()) {
        audit.Append(QStringLiteral("leftover-images-removed"),
                     {{"batch", batchNo}, {"files", files}});
    }
}

}  // namespace

void BatchCycle::StartBatch() {
    QString failure;
    try {
        StartBatchSteps();
    } catch (const std::exception& error) {
        AuditUnexpectedError(audit_, error, QStringLiteral("Start Batch"));
        failure = ErrorText(error);
    }
    state_.ScanningHeader = false;
    state_.HeaderPageDone = false;
    if (!failure.isEmpty()) {
        dialogs_.MsgBox(failure, Dialogs::Buttons::OK, Dialogs::Icon::None);
    }
}

void BatchCycle::StartBatchSteps() {
    // Before any batch number is proposed or checked, the rows of batches lost while the
    // database could not be reached go, now that it may answer again.
    lostBatches_.RemoveKept(settings_.DSNCONNECTSTR, settings_.SYSTEM_ID);
    ORLAProtocol7TypeDefs::BallotMarks marks{};
    state_.ImageSeals.clear();
    state_.PageEnded.reset();
    state_.ScanningHeader = true;
    state_.HeaderPageDone = false;
    KScan1.write(KScan::PageLength, KScan::Length11Inches);
    dialogs_.MsgBox(QStringLiteral("Place Header Card into scanner.  Click OK when Ready."),
                    Dialogs::Buttons::OK, Dialogs::Icon::None, QStringLiteral("Scan Header Card"));

    const QString headerFile = settings_.INTRAY + QStringLiteral("HEADER.tif");
    state_.BatchFolder = settings_.INTRAY;
    state_.NextImageFile = headerFile;
    DeleteFileIfExists(headerFile);
    if (!ScanCard(state_.HeaderPageDone)) {
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
    QString source = QStringLiteral("card");
    if (!ORLAProtocol7TypeDefs::CarriesBatchNumber(marks.CardType)) {
        // An abandoned dialogue leaves HEADER.tif for the next Start Batch to delete.
        const std::optional<AssignedBatch> chosen =
            AssignBatchNumber(dialogs_, audit_, settings_.DSNCONNECTSTR, settings_.SYSTEM_ID);
        if (!chosen) {
            return;
        }
        marks.BatchNumber = chosen->number;
        source = chosen->typed ? QStringLiteral("typed") : QStringLiteral("proposed");
    } else if (!IsBatchNumber(marks.BatchNumber)) {
        audit_.Append(QStringLiteral("batch-number-refused"),
                      {{"batch", marks.BatchNumber}, {"reason", "outside 1 to 999"}});
        BadHeaderCard(dialogs_,
                      QStringLiteral("Header card carries batch ") +
                          QString::number(marks.BatchNumber) +
                          QStringLiteral(", outside 1 to 999.  Start batch cancelled."),
                      headerFile);
        return;
    }

    const qint16 n = marks.BatchNumber;
    QString refusal;
    if (BatchExists(settings_.DSNCONNECTSTR, settings_.SYSTEM_ID, n)) {
        refusal = QStringLiteral("Batch ") + QString::number(n) +
                  QStringLiteral(" has already been used.  Unable to proceed.");
    } else if (!CreateBatch(settings_.DSNCONNECTSTR, n, settings_.SYSTEM_ID, login_.USER_ID)) {
        // Images stored under a batch without its row would belong to no batch. The row may
        // have gone in before the connection broke; it goes before n is used again.
        lostBatches_.Remove(settings_.DSNCONNECTSTR, settings_.SYSTEM_ID, n);
        refusal = QStringLiteral(
                      "Batch %1 could not be written to the database, which cannot be "
                      "reached.  Start batch cancelled.  Click 'Start Batch' again "
                      "when the database answers.")
                      .arg(n);
    }
    if (!refusal.isEmpty()) {
        audit_.Append(QStringLiteral("batch-number-refused"), {{"batch", n}, {"reason", refusal}});
        dialogs_.MsgBox(refusal, Dialogs::Buttons::OK, Dialogs::Icon::Exclamation,
                        QStringLiteral("Invalid Batch"));
        DeleteFileIfExists(headerFile);
        state_.CurrentBatch = 0;
        state_.ImageCounter = 0;
        return;
    }
    state_.CurrentBatch = n;

    state_.BatchFolder = BatchFolderName(settings_.INTRAY, settings_.SYSTEM_ID, n);
    RecordLeftoverImages(audit_, n, state_.BatchFolder);
    PrepareBatchFolder(state_.BatchFolder);
    const QString headerSerial = ImageSerial(settings_.SYSTEM_ID, n, 0);
    CopyImageFile(headerFile, ImageFile(state_.BatchFolder, headerSerial));
    DeleteFileIfExists(headerFile);
    state_.BatchImages.assign(BatchImagesSize, BatchImage{});
    state_.BatchImages[0].Serial = headerSerial.toInt();

    audit_.Append(QStringLiteral("batch-opened"), {{"batch", n}, {"source", source}});
    SetMode(StationMode::BatchOpen);
    view_.ShowBatch(QStringLiteral("Current Batch: ") + QString::number(n), true);
    view_.ShowImageCount(QStringLiteral("Image Count: 0"));
    state_.ImageCounter = 1;
    state_.NextImageSerial = ImageSerial(settings_.SYSTEM_ID, n, state_.ImageCounter);
    state_.NextImageFile = ImageFile(state_.BatchFolder, state_.NextImageSerial);
    view_.FocusStartScanner();
}
