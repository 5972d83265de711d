#pragma once

#include <QList>
#include <QPair>
#include <QString>

#include "admin/UserDataSource.h"

// One stored station setting: "Section/NAME" and its text.
using SettingValue = QPair<QString, QString>;

// Writes the given settings into the station's settings store. Settings that
// already hold another text are overwritten only when `force` is set.
WriteOutcome WriteStationSettings(const QList<SettingValue>& values, bool force);

// The settings store's file.
QString StationSettingsFile();
