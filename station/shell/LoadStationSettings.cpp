#include "shell/LoadStationSettings.h"

#include <QObject>
#include <QStringList>
#include <QVariant>
#include <optional>

#include "shell/SettingConversions.h"
#include "shell/StationSettingsStore.h"

namespace {

using Conversion = std::optional<QVariant> (*)(const QString&);

std::optional<QVariant> AsText(const QString& text) {
    return QVariant(text);
}

template <typename T>
std::optional<QVariant> Held(const std::optional<T>& value) {
    return value ? std::optional(QVariant::fromValue(*value)) : std::nullopt;
}

std::optional<QVariant> AsUnsigned8(const QString& text) {
    return Held(TextToUnsigned8(text));
}

std::optional<QVariant> AsSigned16(const QString& text) {
    return Held(TextToSigned16(text));
}

// The ballot length is read as an unsigned 8-bit number and held as a 16-bit one.
std::optional<QVariant> AsUnsigned8Widened(const QString& text) {
    const std::optional<quint8> value = TextToUnsigned8(text);
    return value ? Held(std::optional<qint16>(*value)) : std::nullopt;
}

std::optional<QVariant> AsBoolean(const QString& text) {
    return Held(TextToBoolean(text));
}

struct Setting {
    const char* section;
    const char* name;
    const char* defaultText;
    Conversion convert;
};

constexpr Setting kSettings[] = {
    {"ElectionSettings", "DSNCONNECTSTR", "DSN=Lindhollow;", AsText},
    {"ElectionSettings", "SQLCONNECTSTR", "", AsText},
    {"ElectionSettings", "ORLAHOST", "127.0.0.1", AsText},
    {"ElectionSettings", "INTRAY", "d:\\temp\\", AsText},
    {"ElectionSettings", "NAMES_FILENAME", "", AsText},
    {"ElectionSettings", "ELECTION_TYPE", "6", AsUnsigned8},
    {"ElectionSettings", "ELECTION_ID", "0", AsSigned16},
    {"ElectionSettings", "BALLOTSIZE", "11", AsUnsigned8Widened},
    {"ElectionSettings", "WEIGHTED_ELECTION", "0", AsBoolean},
    {"ElectionSettings", "PROPORTIONAL_VOTING", "0", AsBoolean},
    {"SystemSettings", "SYSTEM_ID", "", AsSigned16},
    {"SystemSettings", "SYSTEM_TYPE", "", AsSigned16},
    {"SystemSettings", "SCANNER_INI", "", AsText},
};

// An unquoted comma makes the INI reader split a value into a list; such a
// value is taken back as one text.
QString StoredText(const QSettings& store, const Setting& setting) {
    const QVariant value =
        store.value(QStringLiteral("%1/%2").arg(QLatin1StringView(setting.section),
                                                QLatin1StringView(setting.name)),
                    QString::fromLatin1(setting.defaultText));
    if (value.typeId() == QMetaType::QStringList) {
        return value.toStringList().join(u',');
    }
    return value.toString();
}

}  // namespace

void LoadStationSettings(QObject& window) {
    const std::unique_ptr<QSettings> store = OpenStationSettingsStore();
    if (store->status() != QSettings::NoError) {
        return;  // an unreadable store fails at the first value
    }
    for (const Setting& setting : kSettings) {
        const std::optional<QVariant> value = setting.convert(StoredText(*store, setting));
        if (!value) {
            return;
        }
        window.setProperty(setting.name, *value);
    }
}
