#pragma once

#include <QString>

// What station 3's own account tries against its closed batch 12 and the centre's clock, on a
// centre whose schema lindhollow-admin made: each attempt with its refusal, tried as it is, after
// setting the session clock back and after asking to insert history.
struct StationAttempt {
    const char* sql;
    // The server's word; none where the statement is the station's to run, which it then does at
    // the server's time.
    const char* refusal;
    // Its word once history insertion was asked for, where that differs.
    const char* historyRefusal = nullptr;
};
extern const StationAttempt kStationAttempts[];
extern const int kStationAttemptCount;
// What the account runs first, on the same connection: nothing, or one of the two ways to date
// rows. The server refuses setting the clock; asking to insert history it takes, and refuses the
// history inserted.
struct ClockSetting {
    const char* sql;
    bool refused;
};
extern const ClockSetting kClockSettings[];
extern const int kClockSettingCount;

// Station 3's closed batch 12 and open batch 13, each with an image row, a seal and an image file;
// SQL for an administrator on the centre's database.
QString ClosedBatchRows();

// Runs the setting and the attempt on one connection of `station` and checks, through `admin`,
// that the refused leave every row and every version of it as it was, and that no row or version
// is dated before the test ran.
void ExpectAttempt(const QString& station, const QString& admin, const ClockSetting& setting,
                   const StationAttempt& attempt);
