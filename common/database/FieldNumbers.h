#pragma once

#include <QVariant>
#include <QtGlobal>

// A whole number read from a result column, whatever integer type the driver hands
// over (MariaDB's counts arrive as 64-bit, SQLite's as int). NULL or anything that is
// not a whole number raises DatabaseError.
qint64 WholeNumber(const QVariant& value);

// The number as the station holds it; a number outside the type raises DatabaseError.
qint16 ToInt16(qint64 number);
qint32 ToInt32(qint64 number);
