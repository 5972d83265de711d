#include "scanner/PropertyStore.h"

#include "controls/ControlError.h"

#include <limits>

namespace {

PropertyValue initialValue(PropertyStore::Type type) {
    switch (type) {
        case PropertyStore::Type::Int16:
            return qint16(0);
        case PropertyStore::Type::Int32:
            return qint32(0);
        case PropertyStore::Type::Text:
            return QString();
        case PropertyStore::Type::Boolean:
            return false;
        case PropertyStore::Type::Object:
            return static_cast<KImgp*>(nullptr);
    }
    return {};
}

ControlError typeMismatch(int dispid, const PropertyValue& value) {
    return ControlError(
        ScannerError::General,
        QStringLiteral("Property %1 cannot take a %2 value").arg(dispid).arg(typeName(value)));
}

}  // namespace

PropertyStore::PropertyStore(std::initializer_list<Declaration> declarations) {
    for (const Declaration& declaration : declarations) {
        declarations_.emplace(declaration.dispid, declaration);
        values_.emplace(declaration.dispid, initialValue(declaration.type));
    }
}

PropertyValue PropertyStore::accept(int dispid, const PropertyValue& value) const {
    const auto found = declarations_.find(dispid);
    if (found == declarations_.end())
        throw ControlError(ScannerError::General,
                           QStringLiteral("The control has no property %1").arg(dispid));
    const Declaration* declaration = &found->second;
    if (!declaration->writable)
        throw ControlError(ScannerError::General,
                           QStringLiteral("Property %1 is read-only").arg(dispid));
    const bool isInteger =
        std::holds_alternative<qint16>(value) || std::holds_alternative<qint32>(value);
    switch (declaration->type) {
        case Type::Int16:
        case Type::Int32: {
            if (!isInteger)
                throw typeMismatch(dispid, value);
            const qint32 n = std::holds_alternative<qint16>(value) ? std::get<qint16>(value)
                                                                   : std::get<qint32>(value);
            if (declaration->type == Type::Int32)
                return n;
            if (n < std::numeric_limits<qint16>::min() || n > std::numeric_limits<qint16>::max())
                throw ControlError(ScannerError::General,
                                   QStringLiteral("Property %1 cannot hold %2").arg(dispid).arg(n));
            return qint16(n);
        }
        case Type::Text:
            if (!std::holds_alternative<QString>(value))
                throw typeMismatch(dispid, value);
            return value;
        case Type::Boolean:
            if (!std::holds_alternative<bool>(value))
                throw typeMismatch(dispid, value);
            return value;
        case Type::Object:
            if (!std::holds_alternative<KImgp*>(value))
                throw typeMismatch(dispid, value);
            return value;
    }
    return value;
}

PropertyValue PropertyStore::get(int dispid) const {
    if (!values_.contains(dispid))
        throw ControlError(ScannerError::General,
                           QStringLiteral("The control has no property %1").arg(dispid));
    return values_.at(dispid);
}

qint32 PropertyStore::integer(int dispid) const {
    const PropertyValue value = values_.at(dispid);
    return std::holds_alternative<qint16>(value) ? std::get<qint16>(value)
                                                 : std::get<qint32>(value);
}
