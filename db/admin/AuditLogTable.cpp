#include "admin/AuditLogTable.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QStringList>

namespace {

QString DetailsText(const QJsonObject& details) {
    QStringList parts;
    for (auto it = details.begin(); it != details.end(); ++it) {
        const QJsonValue value = it.value();
        QString text;
        if (value.isString()) {
            text = value.toString();
        } else if (value.isObject()) {
            text =
                QString::fromUtf8(QJsonDocument(value.toObject()).toJson(QJsonDocument::Compact));
        } else if (value.isArray()) {
            text = QString::fromUtf8(QJsonDocument(value.toArray()).toJson(QJsonDocument::Compact));
        } else {
            text = value.toVariant().toString();
        }
        parts << it.key() + u'=' + text;
    }
    return parts.join(u' ');
}

}  // namespace

QString AuditLogTable(const QList<audit::AuditRecord>& records, std::optional<int> batch,
                      const QString& event) {
    QString table = QStringLiteral("%1  %2  %3  %4  %5  %6\n")
                        .arg(u"SEQ", 6)
                        .arg(u"TIME (UTC)", -24)
                        .arg(u"STATION", 7)
                        .arg(u"OPERATOR", -10)
                        .arg(u"EVENT", -22)
                        .arg(u"DETAILS");
    for (const audit::AuditRecord& record : records) {
        if (batch && record.details.value("batch").toInt(-1) != *batch) {
            continue;
        }
        if (!event.isEmpty() && record.event != event) {
            continue;
        }
        table += QStringLiteral("%1  %2  %3  %4  %5  %6\n")
                     .arg(record.sequence, 6)
                     .arg(record.time, -24)
                     .arg(record.station, 7)
                     .arg(record.operatorId, -10)
                     .arg(record.event, -22)
                     .arg(DetailsText(record.details));
    }
    return table;
}
