#include "admin/StationSettingsFile.h"

#include <stdexcept>

#include "settings/StationSettingsStore.h"

QString StationSettingsFile() {
    return OpenStationSettingsStore()->fileName();
}

WriteOutcome WriteStationSettings(const QList<SettingValue>& values, bool force) {
    const std::unique_ptr<QSettings> store = OpenStationSettingsStore();
    if (store->status() != QSettings::NoError) {
        throw std::runtime_error("cannot read the settings file " +
                                 store->fileName().toStdString());
    }
    QStringList differing;
    for (const auto& [key, value] : values) {
        if (!store->contains(key) || store->value(key).toString() != value) {
            differing << key;
        }
    }
    if (differing.isEmpty()) {
        return WriteOutcome::Unchanged;
    }
    for (const QString& key : differing) {
        if (store->contains(key) && !force) {
            throw std::invalid_argument("the settings file " + store->fileName().toStdString() +
                                        " already holds " + key.toStdString() + " = " +
                                        store->value(key).toString().toStdString() +
                                        "; use --force to overwrite it");
        }
    }
    for (const auto& [key, value] : values) {
        store->setValue(key, value);
    }
    store->sync();
    if (store->status() != QSettings::NoError) {
        throw std::runtime_error("cannot write the settings file " +
                                 store->fileName().toStdString());
    }
    return WriteOutcome::Written;
}
