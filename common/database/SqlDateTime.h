#pragma once

#include <QDateTime>
#include <QString>

// The date-time literal that the station and the database share:
// "yyyy-MM-dd HH:mm:ss", and the date alone at exact midnight.
QString SqlDateTimeText(const QDateTime& moment);
