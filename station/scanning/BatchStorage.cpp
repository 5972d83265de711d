// Batch storage: every image of the closed batch is read again, given its status and error code,
// counted into the tallies and stored as one BallotImages row, with pbarDB advancing per image.

#include <QFile>
#include <exception>

#include "database/Connection.h"
#include "scanning/AuditedErrors.h"
#include "scanning/BatchCycle.h"
#include "scanning/BatchView.h"
#include "scanning/ErrorText.h"
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

}  // namespace

bool BatchCycle::StoreScannedBatchIntoDatabase() {
    BatchState& b = state_;
    ORLAProtocol7TypeDefs::BallotMarks marks{};
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
        for (qint32 i = 0; i < b.ImageCounter; ++i) {
            BatchImage& image = b.BatchImages.at(i);
            const QString file =
                b.BatchFolder + QString::number(image.Serial) + QStringLiteral(".tif");
            const qint16 result =
                LHDLLInterface::ReadBallotMarks(QFile::encodeName(file).toStdString(), marks);
            const ImageClass found = ClassifyImage(result, marks.CardType, i, b.ImageCounter - 1);
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
