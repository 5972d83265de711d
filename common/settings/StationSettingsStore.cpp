#include "settings/StationSettingsStore.h"

std::unique_ptr<QSettings> OpenStationSettingsStore() {
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                       QStringLiteral("KestranaLindhollow"));
}

QString ConfiguredAuditLogFile() {
    const QVariant value =
        OpenStationSettingsStore()->value(QStringLiteral("SystemSettings/AUDIT_LOG_FILE"));
    // An unquoted comma makes the INI reader split the value into a list.
    return value.toStringList().join(u',').trimmed();
}
