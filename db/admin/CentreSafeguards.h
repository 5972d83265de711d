#pragma once

class Connection;

// What a counting centre on MariaDB holds beyond the station's tables, on the connection's
// database; both run again change nothing.
//
// Batch, image and seal rows keep their history: tables made before it get system versioning.
void KeepBatchHistory(Connection& connection);
// Each station table present gets triggers that refuse an account stationN any insert, update or
// delete of a row whose station number is not N, and any change of its own closed batch (one whose
// batch row has an end time): an update or deletion of its rows, and an image, seal or image file
// added to it; with a plain message. Closing an open batch passes; other accounts pass.
void InstallStationRowGuards(Connection& connection);
