#pragma once

#include <QString>
#include <QtGlobal>
#include <variant>

class KImgp;

// A value as the scanner controls' dispatch interface carries it: 16-bit, 32-bit, text, Boolean
// or a reference to the image-processing control. The alternative held is the value's type.
using PropertyValue = std::variant<qint16, qint32, QString, bool, KImgp*>;

// "16-bit", "32-bit", "text", "Boolean" or "object".
QString typeName(const PropertyValue& value);

// The value as text, for logs and test messages: numbers in decimal, text in double quotes,
// "True"/"False", and "object" for a reference.
QString valueText(const PropertyValue& value);
