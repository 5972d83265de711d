#include "ScanningFloor.h"

#include <QDir>
#include <algorithm>
#include <iterator>
#include <stdexcept>

#include "database/Connection.h"
#include "scanning/ImageNames.h"
#include "database/Recordset.h"

namespace {

// Every row of a query, its columns joined by blanks.
QStringList Rows(const QString& connectString, const QString& query, const QStringList& columns) {
    Connection connection;
    connection.Open(connectString);
    Recordset rows;
    rows.Open(query, connection);
    QStringList values;
    for (; !rows.Eof(); rows.MoveNext()) {
        QStringList row;
        for (const QString& column : columns) {
            const QVariant value = rows.Fields(column).Value();
            row.append(value.isNull() ? QStringLiteral("NULL") : value.toString());
        }
        values.append(row.join(u' '));
    }
    return values;
}

// How many of the first list's entries the second lacks, counting repeats.
int Lacking(QStringList from, QStringList in) {
    from.sort();
    in.sort();
    QStringList lacking;
    std::set_difference(from.begin(), from.end(), in.begin(), in.end(),
                        std::back_inserter(lacking));
    return static_cast<int>(lacking.size());
}

}  // namespace

ScanningFloor::ScanningFloor(const QString& connectString, int stations, int ballotsPerBatch)
    : connectString_(connectString), ballotsPerBatch_(ballotsPerBatch) {
    for (int i = 0; i < stations; ++i) {
        Place place;
        place.station = std::make_unique<HeadlessStation>(qint16(i + 1), connectString);
        place.station->Start();
        stations_.push_back(std::move(place));
    }
}

HeadlessStation::Outcome ScanningFloor::ScanNextBatch(int i) {
    Place& place = stations_[i];
    const HeadlessStation::Outcome outcome =
        place.station->ScanBatch(place.nextBatch, ballotsPerBatch_);
    sheetsScanned_ += ballotsPerBatch_ + 2;
    endBatchMilliseconds_ += place.station->EndBatchMilliseconds();
    if (outcome == HeadlessStation::Outcome::Closed) {
        ++place.nextBatch;
    } else {
        ++batchesLost_;
    }
    return outcome;
}

void ScanningFloor::ScanRound() {
    for (int i = 0; i < Stations(); ++i) {
        int attempts = 1;
        while (ScanNextBatch(i) == HeadlessStation::Outcome::Lost) {
            if (++attempts > 3) {
                throw std::runtime_error("station " + std::to_string(i + 1) +
                                         " lost the same batch three times");
            }
        }
    }
}

QStringList ScanningFloor::ExpectedImages() const {
    QStringList images;
    for (int i = 0; i < Stations(); ++i) {
        const qint16 systemId = qint16(i + 1);
        for (qint16 batch = 1; batch < stations_[i].nextBatch; ++batch) {
            const int last = ballotsPerBatch_ + 1;
            for (int sequence = 0; sequence <= last; ++sequence) {
                const int status = sequence == 0 ? 9 : sequence == last ? 10 : 0;
                images.append(QStringLiteral("%1 %2 %3 %4 %5 0")
                                  .arg(systemId)
                                  .arg(batch)
                                  .arg(sequence)
                                  .arg(ImageSerial(systemId, batch, sequence).toInt())
                                  .arg(status));
            }
        }
    }
    return images;
}

ScanningFloor::Audit ScanningFloor::Check() const {
    Audit audit;
    const QStringList expected = ExpectedImages();
    const QStringList stored =
        Rows(connectString_,
             QStringLiteral("SELECT SystemID, BatchNo, ImageSeq, BallotSN, Status, Error FROM "
                            "BallotImages"),
             {"SystemID", "BatchNo", "ImageSeq", "BallotSN", "Status", "Error"});
    audit.imagesExpected = static_cast<int>(expected.size());
    audit.imagesStored = static_cast<int>(stored.size());
    audit.imagesMissing = Lacking(expected, stored);
    audit.imagesExtra = Lacking(stored, expected);

    QStringList batches;
    QStringList statuses;
    for (int i = 0; i < Stations(); ++i) {
        statuses.append(QStringLiteral("%1 ONLINE STANDING BY").arg(i + 1));
        for (qint16 batch = 1; batch < stations_[i].nextBatch; ++batch) {
            ++audit.batchesClosed;
            batches.append(QStringLiteral("%1 %2 %3 %4 closed")
                               .arg(i + 1)
                               .arg(batch)
                               .arg(ballotsPerBatch_ + 2)
                               .arg(ballotsPerBatch_));
            QStringList files;
            for (int sequence = 0; sequence < ballotsPerBatch_ + 2; ++sequence) {
                files.append(ImageSerial(qint16(i + 1), batch, sequence) + QStringLiteral(".tif"));
            }
            const QStringList found = QDir(stations_[i].station->BatchFolder(batch))
                                          .entryList({QStringLiteral("*")}, QDir::Files);
            audit.filesWrong += Lacking(files, found) + Lacking(found, files);
        }
    }
    const QStringList batchRows = Rows(
        connectString_,
        QStringLiteral("SELECT SystemID, BatchNo, ImageCount, BallotCount, CASE WHEN EndTime IS "
                       "NULL THEN 'open' ELSE 'closed' END AS State FROM Batches"),
        {"SystemID", "BatchNo", "ImageCount", "BallotCount", "State"});
    audit.batchRowsWrong = Lacking(batches, batchRows) + Lacking(batchRows, batches);
    const QStringList statusRows = Rows(
        connectString_, QStringLiteral("SELECT SYSTEMID, STATUS, CURRENTTASK FROM SystemStatus"),
        {"SYSTEMID", "STATUS", "CURRENTTASK"});
    audit.statusRowsWrong = Lacking(statuses, statusRows) + Lacking(statusRows, statuses);
    return audit;
}
