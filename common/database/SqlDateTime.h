#pragma once

#include <QDateTime>
#include <QString>
#include <QVariant>

// The date-time literal that the station and the database share:
// "yyyy-MM-dd HH:mm:ss", and the date alone at exact midnight.
QString SqlDateTimeText(const QDateTime& moment);

// A time read back: the ODBC drivers hand it over as a date-time or as that literal's text.
// Invalid for NULL and for any other text.
QDateTime SqlDateTimeValue(const QVariant& value);
