// Batch storage: every image of the closed batch is read again, given its status and error code,
// counted into the tallies and stored as one BallotImages row, with pbarDB advancing per image.
// Its seal and its file's bytes go to the centre beside the row, and the batch's rows commit
// together or not at all.

#include <QDir>
#include <QFile>
#include <QStringList>
#include <algorithm>
#include <exception>
#include <optional>
#include <thread>
#include <utility>

#include "audit/AuditLog.h"
#include "database/Connection.h"
#include "images/BatchFiles.h"
#include "images/ImageNames.h"
#include "scanning/AuditedErrors.h"
#include "scanning/BatchCycle.h"
#include "scanning/BatchView.h"
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

// The seals go to the centre five hundred rows to a statement: each statement is a commit of its
// own, which costs the pass more than the rows do.
constexpr int SealsPerStatement = 500;

QString SealValues(qint16 systemId, qint16 batchNo, qint32 sequence, qint32 serial,
                   const std::string& seal) {
    return QStringLiteral("(%1,%2,%3,%4,'%5')")
        .arg(systemId)
        .arg(batchNo)
        .arg(sequence)
        .arg(serial)
        .arg(QLatin1StringView(seal));
}

QString SealInsert(const QStringList& values) {
    return QStringLiteral(
               "INSERT INTO ImageSeals(SystemID,BatchNo,ImageSeq,BallotSN,SHA256) "
               "VALUES ") +
           values.join(u',');
}

// The images' bytes go as bound values, up to sixteen images and 8 MB to a statement: spelt out in
// the statement they would double in size and be parsed, a statement per image costs a round trip
// per image, and a statement must stay within the server's max_allowed_packet. The statements
// repeat from batch to batch, so each is prepared once per pass. The seal goes as bytes too and
// becomes text in the database (MariaDB's driver takes a bound text for longer than it is).
constexpr int ImagesPerStatement = 16;
constexpr qsizetype BytesPerStatement = 8 << 20;

QString ImageFileInsert(qsizetype images) {
    QStringList rows(images, QStringLiteral("(?,?,?,CAST(? AS CHAR(64)),?)"));
    return QStringLiteral(
               "INSERT INTO ImageFiles(SystemID,BatchNo,ImageSeq,SHA256,ImageData) "
               "VALUES ") +
           rows.join(u',');
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
    BatchState& b = state_;
    Connection connection;
    QString failure;
    std::optional<ChangedImage> changed;
    try {
        connection.Open(settings_.SQLCONNECTSTR);
        // One transaction for the batch: a pass that fails part way, or a server that dies during
        // it, leaves no row of the batch behind.
        connection.BeginTrans();
        b.BallotCount = 0;
        b.DiscardedCount = 0;
        b.RepairCount = 0;
        b.HeaderCardCount = 0;
        b.EnderCardCount = 0;
        view_.StartProgress(b.ImageCounter);
        SyncToDisk(b.BatchFolder);
        std::vector<std::string> files = ImageFiles(b);
        const std::vector<std::string> seals =
            b.SealImages ? ExpectedSeals(b) : std::vector<std::string>();
        const unsigned readers = Readers(files.size());
        ImageReadAhead reads(std::move(files), seals, readers);
        QStringList sealValues;
        QVariantList imageValues;
        qsizetype imageBytes = 0;
        for (qint32 i = 0; i < b.ImageCounter; ++i) {
            BatchImage& image = b.BatchImages.at(i);
            const ImageReadAhead::Reading read = reads.Take(i);
            if (read.sealBroken) {
                changed = ChangedImage{image.Serial,
                                       ImageFile(b.BatchFolder, QString::number(image.Serial)),
                                       seals[i], read.found};
                break;
            }
            const ImageClass found =
                ClassifyImage(read.result, read.cardType, i, b.ImageCounter - 1);
            image.Status = found.Status;
            image.ErrorCode = found.ErrorCode;
            ++TallyOf(b, found.CountedAs);
            connection.Execute(InsertStatement(settings_.SYSTEM_ID, b.CurrentBatch, i, image));
            if (b.KeepImagesAtCentre) {
                imageValues << int{settings_.SYSTEM_ID} << int{b.CurrentBatch} << i
                            << QByteArray::fromStdString(read.seal) << read.bytes;
                imageBytes += read.bytes.size();
            }
            if (imageValues.size() == ImagesPerStatement * 5 || imageBytes >= BytesPerStatement ||
                (!imageValues.isEmpty() && i == b.ImageCounter - 1)) {
                const QString insert = ImageFileInsert(imageValues.size() / 5);
                connection.Execute(insert, std::exchange(imageValues, {}));
                imageBytes = 0;
            }
            if (!seals.empty()) {
                sealValues.append(
                    SealValues(settings_.SYSTEM_ID, b.CurrentBatch, i, image.Serial, seals[i]));
            }
            if (sealValues.size() == SealsPerStatement ||
                (!sealValues.isEmpty() && i == b.ImageCounter - 1)) {
                connection.Execute(SealInsert(std::exchange(sealValues, {})));
            }
            view_.AdvanceProgress();
        }
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
