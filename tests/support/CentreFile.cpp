#include "CentreFile.h"

#include <QFile>
#include <QRegularExpression>
#include <stdexcept>

QString CentreFile(const QString& name) {
    QFile file(QStringLiteral(LINDHOLLOW_CENTRE_FILES "/") + name);
    if (!file.open(QIODevice::ReadOnly)) {
        throw std::runtime_error("cannot read the centre's " + name.toStdString());
    }
    return QString::fromUtf8(file.readAll());
}

QString Replaced(QString text, const QString& from, const QString& to) {
    if (!text.contains(from)) {
        throw std::runtime_error("the centre's configuration no longer holds " +
                                 from.toStdString());
    }
    return text.replace(from, to);
}

QString CentreSetting(const QString& name, const QString& setting) {
    const QRegularExpressionMatch line =
        QRegularExpression(QStringLiteral("^%1\\s*=\\s*(\\S+)\\s*$").arg(setting),
                           QRegularExpression::MultilineOption)
            .match(CentreFile(name));
    if (!line.hasMatch()) {
        throw std::runtime_error("the centre's " + name.toStdString() + " sets no " +
                                 setting.toStdString());
    }
    return line.captured(1);
}
