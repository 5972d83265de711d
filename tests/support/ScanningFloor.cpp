#include "ScanningFloor.h"

#include <stdexcept>

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
    if (outcome == HeadlessStation::Outcome::Refused) {
        throw std::runtime_error("station " + std::to_string(i + 1) + " did not open batch " +
                                 std::to_string(place.nextBatch) + ": " +
                                 place.station->Shown().join(u'\n').toStdString());
    }
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

ScanningFloor::Audit ScanningFloor::Check() const {
    std::vector<int> closedBatches;
    for (const Place& place : stations_) {
        closedBatches.push_back(place.nextBatch - 1);
    }
    Audit audit = AuditCentre(connectString_, closedBatches, ballotsPerBatch_,
                              QStringLiteral("ONLINE STANDING BY"));
    for (const Place& place : stations_) {
        audit.filesWrong +=
            place.station->FilesWrong(qint16(place.nextBatch - 1), ballotsPerBatch_);
    }
    return audit;
}
