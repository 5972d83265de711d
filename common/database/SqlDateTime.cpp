#include "database/SqlDateTime.h"

QString SqlDateTimeText(const QDateTime& moment) {
    const QTime time = moment.time();
    if (time.hour() == 0 && time.minute() == 0 && time.second() == 0) {
        return moment.date().toString(QStringLiteral("yyyy-MM-dd"));
    }
    return moment.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QDateTime SqlDateTimeValue(const QVariant& value) {
    if (value.isNull()) {
        return {};
    }
    if (value.metaType() == QMetaType::fromType<QDateTime>()) {
        return value.toDateTime();
    }
    const QString text = value.toString().trimmed();
    QDateTime moment = QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (!moment.isValid()) {
        moment = QDateTime(QDate::fromString(text, QStringLiteral("yyyy-MM-dd")), QTime(0, 0));
    }
    return moment;
}
