#include "database/SqlDateTime.h"

QString SqlDateTimeText(const QDateTime& moment) {
    const QTime time = moment.time();
    if (time.hour() == 0 && time.minute() == 0 && time.second() == 0) {
        return moment.date().toString(QStringLiteral("yyyy-MM-dd"));
    }
    return moment.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}
