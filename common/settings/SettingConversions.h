#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

// Conversions of stored setting texts. Numbers may carry blanks around them and a
// fraction, which is rounded to the nearest whole number, a half to the even
// neighbour; anything else, the empty text included, does not convert.
std::optional<quint8> TextToUnsigned8(const QString& text);
std::optional<qint16> TextToSigned16(const QString& text);
// A number (0 is False, any other True) or True/False in any letter case.
std::optional<bool> TextToBoolean(const QString& text);
