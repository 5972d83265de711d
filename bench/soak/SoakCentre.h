#pragma once

#include <QString>
#include <QStringList>

#include "CentreAudit.h"

// One soak run: `stations` station processes scan `batches` batches of `sheets` ballots each
// on one private MariaDB server, which is killed `kills` times, each time while a station is
// in a storage pass, and started again a moment later.
struct SoakRun {
    int stations = 1;
    int batches = 1;
    int sheets = 1;
    int kills = 0;
};

struct SoakResult {
    double seconds = 0;       // from the stations' first click to the last batch closed
    qint64 sheetsStored = 0;  // image rows of the closed batches: cards and ballots
    int batchesLost = 0;      // lost and scanned again
    int kills = 0;            // server kills that happened, each in a storage pass
    CentreAudit audit;        // what the database holds at the end
    QStringList faults;       // broken invariants and stations that failed; empty when sound
};

// `program` is this program, which runs each station as `program station ...`.
SoakResult RunSoak(const SoakRun& run, const QString& program);
