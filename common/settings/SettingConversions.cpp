#include "settings/SettingConversions.h"

#include <QRegularExpression>
#include <cmath>
#include <limits>

namespace {

std::optional<double> TextToNumber(const QString& text) {
    static const QRegularExpression number(
        QStringLiteral(R"(^\s*[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?\s*$)"));
    if (!number.match(text).hasMatch()) {
        return std::nullopt;
    }
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

template <typename Integer>
std::optional<Integer> TextToInteger(const QString& text) {
    const std::optional<double> value = TextToNumber(text);
    if (!value) {
        return std::nullopt;
    }
    // The default rounding mode rounds a half to the even neighbour.
    const double whole = std::nearbyint(*value);
    if (whole < std::numeric_limits<Integer>::min() ||
        whole > std::numeric_limits<Integer>::max()) {
        return std::nullopt;
    }
    return static_cast<Integer>(whole);
}

}  // namespace

std::optional<quint8> TextToUnsigned8(const QString& text) {
    return TextToInteger<quint8>(text);
}

std::optional<qint16> TextToSigned16(const QString& text) {
    return TextToInteger<qint16>(text);
}

std::optional<bool> TextToBoolean(const QString& text) {
    const QString word = text.trimmed();
    if (word.compare(u"True", Qt::CaseInsensitive) == 0) {
        return true;
    }
    if (word.compare(u"False", Qt::CaseInsensitive) == 0) {
        return false;
    }
    const std::optional<double> value = TextToNumber(text);
    if (!value) {
        return std::nullopt;
    }
    return *value != 0.0;
}
