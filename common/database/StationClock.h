#pragma once

#include <QDateTime>
#include <functional>

// The station's local date and time, as the batch operations stamp their rows.
QDateTime StationNow();

// Replaces the clock, so that tests can fix the moment; an empty one restores the
// system clock.
void SetStationClock(std::function<QDateTime()> clock);
