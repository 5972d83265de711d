#pragma once

class Connection;

// What a counting centre on MariaDB holds beyond the station's tables, on the connection's
// database; both run again change nothing.
//
// Batch and image rows keep their history: tables made before it get system versioning.
void KeepBatchHistory(Connection& connection);
// Each station table present gets triggers that refuse an account stationN any insert, update or
// delete of a row whose station number is not N, with a plain message. Other accounts pass.
void InstallStationRowGuards(Connection& connection);
