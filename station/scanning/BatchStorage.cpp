// Batch storage: every image of the closed batch is read again, given its status and error code,
// counted into the tallies and stored as one BallotImages row, with pbarDB advancing per image.

#include <QFile>
#include <QProgressBar>
#include <exception>

#include "database/Connection.h"
#include "scanning/ErrorText.h"
#include "scanning/ImageStatus.h"
#include "scanning/LHDLLInterface.h"
#include "shell/Dialogs.h"
#include "shell/VrelScan.h"

namespace {

qint32& TallyOf(VrelScan& window, Tally tally) {
    switch (tally) {
        case Tally::Ballot:
            return window.BallotCount;
        case Tally::Repair:
            return window.RepairCount;
        case Tally::Discarded:
            return window.DiscardedCount;
        case Tally::HeaderCard:
            return window.HeaderCardCount;
        case Tally::EnderCard:
            return window.EnderCardCount;
    }
    return window.RepairCount;
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

bool VrelScan::StoreScannedBatchIntoDatabase() {
    ORLAProtocol7TypeDefs::BallotMarks marks{};
    Connection connection;
    QString failure;
    try {
        connection.Open(SQLCONNECTSTR);
        BallotCount = 0;
        DiscardedCount = 0;
        RepairCount = 0;
        HeaderCardCount = 0;
        EnderCardCount = 0;
        pbarDB->setMaximum(ImageCounter);
        pbarDB->setValue(0);
        for (qint32 i = 0; i < ImageCounter; ++i) {
            BatchImage& image = BatchImages.at(i);
            const QString file =
                BatchFolder + QString::number(image.Serial) + QStringLiteral(".tif");
            const qint16 result =
                LHDLLInterface::ReadBallotMarks(QFile::encodeName(file).toStdString(), marks);
            const ImageClass found = ClassifyImage(result, marks.CardType, i, ImageCounter - 1);
            image.Status = found.Status;
            image.ErrorCode = found.ErrorCode;
            ++TallyOf(*this, found.CountedAs);
            connection.Execute(InsertStatement(SYSTEM_ID, CurrentBatch, i, image));
            if (pbarDB->maximum() > pbarDB->value()) {
                pbarDB->setValue(pbarDB->value() + 1);
            }
        }
    } catch (const std::exception& error) {
        failure = ErrorText(error);
    }
    pbarDB->setValue(0);
    if (!failure.isEmpty()) {
        dialogs_.MsgBox(failure, Dialogs::Buttons::OK, Dialogs::Icon::None);
    }
    if (connection.State() != 0) {
        connection.Close();
    }
    return failure.isEmpty();
}
