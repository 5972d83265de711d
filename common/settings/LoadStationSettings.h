#pragma once

#include <QString>
#include <optional>

struct StationSettings;

// Reads the thirteen station settings from the settings store, in their fixed order, into the
// record's fields of the same names. The first value that is unreadable or does not convert ends
// the reading: it and every later value keep what they held. Returns the name of that value
// (the empty name when the store itself cannot be read), or nothing when every value was read.
std::optional<QString> LoadStationSettings(StationSettings& settings);
