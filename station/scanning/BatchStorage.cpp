// Batch storage: every image of the closed batch is read again, given its status and error code,
// counted into the tallies and stored as one BallotImages row, with pbarDB advancing per image.

#include <QFile>
#include <algorithm>
#include <exception>
#include <thread>

#include "database/Connection.h"
#include "scanning/AuditedErrors.h"
#include "scanning/BatchCycle.h"
#include "scanning/BatchView.h"
#include "scanning/ErrorText.h"
#include "scanning/ImageNames.h"
#include "scanning/ImageReadAhead.h"
#include "scanning/ImageStatus.h"
#include "scanning/LHDLLInterface.h"
#include "shell/Dialogs.h"
#include "shell/StationSettings.h"

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

}  // namespace

bool BatchCycle::StoreScannedBatchIntoDatabase() {
    BatchState& b = state_;
    Connection connection;
    QString failure;
    try {
        connection.Open(settings_.SQLCONNECTSTR);
        b.BallotCount = 0;
        b.DiscardedCount = 0;
        b.RepairCount = 0;
        b.HeaderCardCount = 0;
        b.EnderCardCount = 0;
        view_.StartProgress(b.ImageCounter);
        std::vector<std::string> files = ImageFiles(b);
        const unsigned readers = Readers(files.size());
        ImageReadAhead reads(std::move(files), readers);
        for (qint32 i = 0; i < b.ImageCounter; ++i) {
            BatchImage& image = b.BatchImages.at(i);
            const ImageReadAhead::Reading read = reads.Take(i);
            const ImageClass found =
                ClassifyImage(read.result, read.cardType, i, b.ImageCounter - 1);
            image.Status = found.Status;
            image.ErrorCode = found.ErrorCode;
            ++TallyOf(b, found.CountedAs);
            connection.Execute(InsertStatement(settings_.SYSTEM_ID, b.CurrentBatch, i, image));
            view_.AdvanceProgress();
        }
    } catch (const std::exception& error) {
        AuditUnexpectedError(audit_, error, QStringLiteral("batch storage"));
        failure = ErrorText(error);
    }
    view_.ClearProgress();
    if (!failure.isEmpty()) {
        dialogs_.MsgBox(failure, Dialogs::Buttons::OK, Dialogs::Icon::None);
    }
    if (connection.State() != 0) {
        connection.Close();
    }
    return failure.isEmpty();
}
