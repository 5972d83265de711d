#pragma once

#include <QString>
#include <QStringList>

class Connection;

// What the centre's database must hold after every station has scanned batches 1 to `batches`
// of `sheets` ballots and closed its window: every image row once, in its own station's batch;
// every batch row closed with its counts; every station row "OFFLINE" / "IDLE". Returns what is
// broken, in words; empty when nothing is.
QStringList BrokenInvariants(Connection& centre, int stations, int batches, int sheets);
