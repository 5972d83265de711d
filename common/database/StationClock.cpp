#include "database/StationClock.h"

namespace {

std::function<QDateTime()>& CurrentClock() {
    static std::function<QDateTime()> clock;
    return clock;
}

}  // namespace

QDateTime StationNow() {
    return CurrentClock() ? CurrentClock()() : QDateTime::currentDateTime();
}

void SetStationClock(std::function<QDateTime()> clock) {
    CurrentClock() = std::move(clock);
}
