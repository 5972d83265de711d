#pragma once

#include <QList>

// One soak station: a headless station on the disk-import scanner and the real ballot-reading
// library that scans batches 1 to `batches`, each of a header card, `sheets` ballots and an
// ender card, scanning a batch again until it is closed.
struct SoakStationRun {
    int systemId = 0;
    int batches = 0;
    int sheets = 0;
    QList<int> holdAt;  // batches whose first storage pass waits for the controller
};

// The data source lives in the environment's ODBCINI. Returns the process's exit code.
int RunSoakStation(const SoakStationRun& run);
