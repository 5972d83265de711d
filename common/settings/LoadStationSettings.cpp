#include "settings/LoadStationSettings.h"

#include <QStringList>
#include <QVariant>
#include <optional>

#include "settings/SettingConversions.h"
#include "settings/StationSettings.h"
#include "settings/StationSettingsStore.h"

namespace {

std::optional<QString> AsText(const QString& text) {
    return text;
}

// The ballot length is read as an unsigned 8-bit number and held as a 16-bit one.
std::optional<qint16> AsUnsigned8Widened(const QString& text) {
    const std::optional<quint8> value = TextToUnsigned8(text);
    return value ? std::optional<qint16>(*value) : std::nullopt;
}

// Converts the stored text and assigns it to one field; false, assigning nothing, when it does
// not convert.
template <auto Field, auto Convert>
bool Assign(StationSettings& settings, const QString& text) {
    const auto value = Convert(text);
    if (!value) {
        return false;
    }
    settings.*Field = *value;
    return true;
}

struct Setting {
    const char* section;
    const char* name;
    const char* defaultText;
    bool (*assign)(StationSettings&, const QString&);
};

// Each value is stored under the name of its field.
#define SETTING(section, field, defaultText, convert) \
    { section, #field, defaultText, Assign<&StationSettings::field, convert> }

constexpr Setting kSettings[] = {
    SETTING("ElectionSettings", DSNCONNECTSTR, "DSN=Lindhollow;", AsText),
    SETTING("ElectionSettings", SQLCONNECTSTR, "", AsText),
    SETTING("ElectionSettings", ORLAHOST, "127.0.0.1", AsText),
    SETTING("ElectionSettings", INTRAY, "d:\\temp\\", AsText),
    SETTING("ElectionSettings", NAMES_FILENAME, "", AsText),
    SETTING("ElectionSettings", ELECTION_TYPE, "6", TextToUnsigned8),
    SETTING("ElectionSettings", ELECTION_ID, "0", TextToSigned16),
    SETTING("ElectionSettings", BALLOTSIZE, "11", AsUnsigned8Widened),
    SETTING("ElectionSettings", WEIGHTED_ELECTION, "0", TextToBoolean),
    SETTING("ElectionSettings", PROPORTIONAL_VOTING, "0", TextToBoolean),
    SETTING("SystemSettings", SYSTEM_ID, "", TextToSigned16),
    SETTING("SystemSettings", SYSTEM_TYPE, "", TextToSigned16),
    SETTING("SystemSettings", SCANNER_INI, "", AsText),
};

#undef SETTING

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

std::optional<QString> LoadStationSettings(StationSettings& settings) {
    const std::unique_ptr<QSettings> store = OpenStationSettingsStore();
    if (store->status() != QSettings::NoError) {
        return QString();  // an unreadable store fails at the first value
    }
    for (const Setting& setting : kSettings) {
        if (!setting.assign(settings, StoredText(*store, setting))) {
            return QString::fromLatin1(setting.name);
        }
    }
    return std::nullopt;
}
