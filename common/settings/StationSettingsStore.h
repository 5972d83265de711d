#pragma once

#include <QSettings>
#include <memory>

// The per-user settings store of the station: an INI file of application
// KestranaLindhollow in the user's configuration folder
// (~/.config/KestranaLindhollow.ini unless XDG_CONFIG_HOME says otherwise).
std::unique_ptr<QSettings> OpenStationSettingsStore();

// The station's audit log file as the store's AUDIT_LOG_FILE in section SystemSettings names it;
// empty when it names none. The program reads it before it makes its window, apart from the
// station settings proper.
QString ConfiguredAuditLogFile();
