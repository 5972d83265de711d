#include "database/FieldNumbers.h"

#include <limits>

#include "database/DatabaseError.h"

namespace {

template <typename Target>
Target Narrowed(qint64 number) {
    if (number < std::numeric_limits<Target>::min() ||
        number > std::numeric_limits<Target>::max()) {
        throw DatabaseError(QStringLiteral("The number %1 does not fit a %2-bit integer.")
                                .arg(number)
                                .arg(sizeof(Target) * 8));
    }
    return static_cast<Target>(number);
}

}  // namespace

qint64 WholeNumber(const QVariant& value) {
    bool ok = false;
    const qint64 number = value.isNull() ? 0 : value.toLongLong(&ok);
    if (!ok) {
        throw DatabaseError(QStringLiteral("The value \"%1\" is not a whole number.")
                                .arg(value.isNull() ? QStringLiteral("NULL") : value.toString()));
    }
    return number;
}

qint16 ToInt16(qint64 number) {
    return Narrowed<qint16>(number);
}

qint32 ToInt32(qint64 number) {
    return Narrowed<qint32>(number);
}
