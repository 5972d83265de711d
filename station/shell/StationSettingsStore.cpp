#include "shell/StationSettingsStore.h"

std::unique_ptr<QSettings> OpenStationSettingsStore() {
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                       QStringLiteral("KestranaLindhollow"));
}
