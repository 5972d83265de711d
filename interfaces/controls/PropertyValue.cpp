#include "controls/PropertyValue.h"

namespace {
template <class... Ts>
struct Overloaded : Ts... {
    using Ts::operator()...;
};
}  // namespace

QString typeName(const PropertyValue& value) {
    return std::visit(Overloaded{[](qint16) { return QStringLiteral("16-bit"); },
                                 [](qint32) { return QStringLiteral("32-bit"); },
                                 [](const QString&) { return QStringLiteral("text"); },
                                 [](bool) { return QStringLiteral("Boolean"); },
                                 [](KImgp*) { return QStringLiteral("object"); }},
                      value);
}

QString valueText(const PropertyValue& value) {
    return std::visit(
        Overloaded{[](qint16 n) { return QString::number(n); },
                   [](qint32 n) { return QString::number(n); },
                   [](const QString& s) { return u'"' + s + u'"'; },
                   [](bool b) { return b ? QStringLiteral("True") : QStringLiteral("False"); },
                   [](KImgp*) { return QStringLiteral("object"); }},
        value);
}
