#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

#include "CentreAudit.h"
#include "HeadlessStation.h"

// Stations 1 to N scanning batches into one counting-centre database, each its batches 1, 2, ...
// in turn, every batch a header card, the same number of ballots and an ender card. A batch that
// is lost is scanned again under its number, as the operator is told to. Audit compares what the
// database and the in-trays hold with what the stations closed.
class ScanningFloor {
  public:
    ScanningFloor(const QString& connectString, int stations, int ballotsPerBatch);

    int Stations() const { return static_cast<int>(stations_.size()); }
    // Station i, numbered from 0; its station number is i + 1.
    HeadlessStation& Station(int i) { return *stations_[i].station; }
    qint16 NextBatch(int i) const { return stations_[i].nextBatch; }

    // The station scans its next batch: a closed batch moves it on to the following number.
    HeadlessStation::Outcome ScanNextBatch(int i);
    // Every station scans its next batch, a lost one again until it is closed (at most 3 times).
    void ScanRound();

    // Sheets fed to the scanners so far, those of lost batches too.
    int SheetsScanned() const { return sheetsScanned_; }
    int BatchesLost() const { return batchesLost_; }
    // The time the stations spent in End Batch: the ender card, storage, tallies and closing.
    qint64 EndBatchMilliseconds() const { return endBatchMilliseconds_; }

    // The stations' status rows read "ONLINE" / "STANDING BY", and every closed batch's folder
    // holds its images' files and nothing else.
    using Audit = CentreAudit;
    // Reads the database through the floor's connect string.
    Audit Check() const;

  private:
    struct Place {
        std::unique_ptr<HeadlessStation> station;
        qint16 nextBatch = 1;
    };

    QString connectString_;
    int ballotsPerBatch_;
    std::vector<Place> stations_;
    int sheetsScanned_ = 0;
    int batchesLost_ = 0;
    qint64 endBatchMilliseconds_ = 0;
};
