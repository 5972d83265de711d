// Batch storage: every image of the closed batch is read again, given its status and error code,
// counted into the tallies and stored as one BallotImages row, with pbarDB advancing per image.
// Its seal and its file's bytes go to the centre beside the row, and the batch's rows commit
// together or not at all.

#include <QDir>
#include <QFile>
#include <algorithm>
#include <exception>
#include <optional>
#include <thread>

#include "audit/AuditLog.h"
#include "database/Connection.h"
#include "images/BatchFiles.h"
#include "images/ImageNames.h"
#include "scanning/AuditedErrors.h"
#include "scanning/BatchCycle.h"
#include "scanning/BatchView.h"
#include "scanning/CentreCopyInserts.h"
#include "scanning/ErrorText.h"
#include "scanning/ImageReadAhead.h"
#include "scanning/ImageStatus.h"
#include "scanning/LHDLLInterface.h"
#include "settings/StationSettings.h"
#include "shell/Dialogs.h"

// An image whose file is not the one the scanner wrote: the pass stops there.
struct ChangedImage {
    qint32 serial;
    QString file;
    std::string sealed;
    std::string found;  // empty: the file is missing
};

namespace {

qint32& TallyOf(BatchState& batch, Tally tally) {
    switch (tally) {
        case Tally::Ballot:
            return batch.BallotCount;
        case Tally::Repair:
            return batch.RepairCount;
        case Tally::Discarded:
            return batch.DiscardedCount;
        case Tally::HeaderCard:
            return batch.HeaderCardCount;
        case Tally::EnderCard:
            return batch.EnderCardCount;
    }
    return batch.RepairCount;
}

QString InsertStatement(qint16 systemId, qint16 batchNo, qint32 sequence, const BatchImage& image) {
    return QStringLiteral(
               "INSERT INTO BallotImages(SystemID,BatchNo,ImageSeq,BallotSN,Status,Error) "
               "VALUES (") +
           QString::number(systemId) + u',' + QString::number(batchNo) + u',' +
           QString::number(sequence) + u',' + u'\'' + QString::number(image.Serial) +
           QStringLiteral("',") + QString::number(image.Status) + u',' +
           QString::number(image.ErrorCode) + u')';
}

void ResetTallies(BatchState& b) {
    b.BallotCount = 0;
    b.DiscardedCount = 0;
    b.RepairCount = 0;
    b.HeaderCardCount = 0;
    b.EnderCardCount = 0;
}

// The image's status and error code from its reading, counted into its tally.
void ClassifyAndCount(BatchState& b, qint32 i, const ImageReadAhead::Reading& read) {
    BatchImage& image = b.BatchImages.at(i);
    const ImageClass found = ClassifyImage(read.result, read.cardType, i, b.ImageCounter - 1);
    image.Status = found.Status;
    image.ErrorCode = found.ErrorCode;
    ++TallyOf(b, found.CountedAs);
}

// The seal of each image the batch holds, empty where an image has none.
std::vector<std::string> ExpectedSeals(const BatchState& b) {
    std::vector<std::string> seals(std::max(b.ImageCounter, 0));
    std::copy_n(b.ImageSeals.begin(), std::min(seals.size(), b.ImageSeals.size()), seals.begin());
    return seals;
}

// The files of the images that the batch holds; the pass fails at the first one it does not.
std::vector<std::string> ImageFiles(const BatchState& b) {
    std::vector<std::string> files;
    const std::size_t count =
        std::min<std::size_t>(std::max(b.ImageCounter, 0), b.BatchImages.size());
    for (std::size_t i = 0; i < count; ++i) {
        files.push_back(
            QFile::encodeName(ImageFile(b.BatchFolder, QString::number(b.BatchImages[i].Serial)))
                .toStdString());
    }
    return files;
}

// The images are read ahead on every core when the library may read on several at once. A batch
// without images needs no reader, nor the library.
unsigned Readers(std::size_t images) {
    if (images == 0) {
        return 0;
    }
    return LHDLLInterface::ReadsConcurrently() ? std::max(1U, std::thread::hardware_concurrency())
                                               : 1;
}

// What the batch stored so far is undone; a connection that was lost has already lost it.
void RollBack(Connection& connection) {
    if (connection.State() == 0) {
        return;
    }
    try {
        connection.RollbackTrans();
    } catch (const std::exception&) {
        connection.Close();
    }
}

}  // namespace

bool BatchCycle::StoreScannedBatchIntoDatabase() {
    Connection connection;
    QString failure;
    std::optional<ChangedImage> changed;
    try {
        connection.Open(settings_.SQLCONNECTSTR);
        // One transaction for the batch: a pass that fails part way, or a server that dies during
        // it, leaves no row of the batch behind.
        connection.BeginTrans();
        changed = StoreBatchImages(connection);
        if (!changed) {
            connection.CommitTrans();
        }
    } catch (const std::exception& error) {
        AuditUnexpectedError(audit_, error, QStringLiteral("batch storage"));
        failure = ErrorText(error);
    }
    if (changed || !failure.isEmpty()) {
        RollBack(connection);
    }
    view_.ClearProgress();
    if (changed) {
        ReportChangedImage(*changed);
    } else if (!failure.isEmpty()) {
        dialogs_.MsgBox(failure, Dialogs::Buttons::OK, Dialogs::Icon::None);
    }
    if (connection.State() != 0) {
        connection.Close();
    }
    return failure.isEmpty() && !changed;
}

std::optional<ChangedImage> BatchCycle::StoreBatchImages(Connection& connection) {
    BatchState& b = state_;
    ResetTallies(b);
    view_.StartProgress(b.ImageCounter);
    SyncToDisk(b.BatchFolder);
    std::vector<std::string> files = ImageFiles(b);
    const std::vector<std::string> seals =
        b.SealImages ? ExpectedSeals(b) : std::vector<std::string>();
    const unsigned readers = Readers(files.size());
    ImageReadAhead reads(std::move(files), seals, readers);
    CentreCopyInserts copies(connection, settings_.SYSTEM_ID, b.CurrentBatch);
    for (qint32 i = 0; i < b.ImageCounter; ++i) {
        const qint32 serial = b.BatchImages.at(i).Serial;
        const ImageReadAhead::Reading read = reads.Take(i);
        if (read.sealBroken) {
            return ChangedImage{serial, ImageFile(b.BatchFolder, QString::number(serial)), seals[i],
                                read.found};
        }
        ClassifyAndCount(b, i, read);
        connection.Execute(
            InsertStatement(settings_.SYSTEM_ID, b.CurrentBatch, i, b.BatchImages.at(i)));
        const bool last = i == b.ImageCounter - 1;
        if (b.KeepImagesAtCentre) {
            copies.AddCopy(i, read.seal, read.bytes, last);
        }
        if (!seals.empty()) {
            copies.AddSeal(i, serial, seals[i], last);
        }
        view_.AdvanceProgress();
    }
    return std::nullopt;
}

void BatchCycle::ReportChangedImage(const ChangedImage& image) {
    audit_.Append(QStringLiteral("image-changed"),
                  {{"batch", state_.CurrentBatch},
                   {"serial", image.serial},
                   {"sealed", QString::fromStdString(image.sealed)},
                   {"found", QString::fromStdString(image.found)}});
    const QString file = QDir::toNativeSeparators(image.file);
    const QString what =
        image.found.empty()
            ? QStringLiteral("Image file %1 is missing: it was removed after it was scanned.")
            : QStringLiteral("Image file %1 has changed since it was scanned.");
    dialogs_.MsgBox(
        what.arg(file) + QStringLiteral("  Batch %1 cannot be stored.").arg(state_.CurrentBatch),
        Dialogs::Buttons::OK, Dialogs::Icon::Critical, QStringLiteral("Image Changed"));
}
