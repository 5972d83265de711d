#pragma once

#include <QString>
#include <QStringList>
#include <vector>

// What a counting-centre database holds against what its stations closed: every image row once,
// in its own station's batch; every batch row closed with its counts; one status row a station.
struct CentreAudit {
    int batchesClosed = 0;
    int imagesExpected = 0;   // of the closed batches
    int imagesStored = 0;     // BallotImages rows
    int imagesOnce = 0;       // expected and stored exactly once
    int imagesTwice = 0;      // rows that repeat another row
    int imagesCrossed = 0;    // rows whose serial names another station, batch or sequence
    int imagesMissing = 0;    // expected, without their row
    int imagesExtra = 0;      // rows no closed batch expects: twice stored, crossed or left over
    int batchRowsWrong = 0;   // batch rows missing, extra, still open, deleted or with other counts
    int statusRowsWrong = 0;  // stations without exactly their one expected status row
    int filesWrong = 0;       // in-tray files missing or extra in the closed batches' folders

    bool Clean() const {
        return imagesMissing == 0 && imagesExtra == 0 && batchRowsWrong == 0 &&
               statusRowsWrong == 0 && filesWrong == 0 && imagesStored == imagesExpected &&
               imagesOnce == imagesExpected;
    }
    // The counts in one line, for the benchmarks' reports.
    QString Summary() const;
};

// Audits the database of `connectString`, where station i + 1 has closed batches 1 to
// closedBatches[i], each of a header card, `ballots` ballots and an ender card, and its status
// row reads `status` ("STATUS CURRENTTASK"). Leaves filesWrong to the caller.
CentreAudit AuditCentre(const QString& connectString, const std::vector<int>& closedBatches,
                        int ballots, const QString& status);

// How many of the first list's entries the second lacks, counting repeats.
int Lacking(QStringList from, QStringList in);
