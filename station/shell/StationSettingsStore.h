#pragma once

#include <QSettings>
#include <memory>

// The per-user settings store of the station: an INI file of application
// KestranaLindhollow in the user's configuration folder
// (~/.config/KestranaLindhollow.ini unless XDG_CONFIG_HOME says otherwise).
std::unique_ptr<QSettings> OpenStationSettingsStore();
