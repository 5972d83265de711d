#pragma once

#include <QList>
#include <QString>

// One headless station of the soak: the main window on the disk-import scanner and the real
// ballot-reading library, with an operator who answers every box with its default button
// and scans batches 1 to `batches`, each of a header card, `sheets` ballots and an ender card,
// scanning a lost batch again until it is closed.
struct SoakStationRun {
    int systemId = 0;
    QString paper;  // header-N.tif, ender.tif, ballot-N.tif, made by the controller
    int batches = 0;
    int sheets = 0;
    QList<int> holdAt;  // batches whose first storage pass waits for the controller
};

// The settings, the data source and the station's folders live in the home folder of the
// environment (HOME, XDG_CONFIG_HOME, ODBCINI). Returns the process's exit code.
int RunSoakStation(const SoakStationRun& run);
