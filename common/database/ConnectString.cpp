#include "database/ConnectString.h"

#include <QRegularExpression>
#include <QStringList>

namespace {

// Splits "KEY=value;KEY={value;with;semicolons};" into its attributes.
QStringList SplitAttributes(const QString& text) {
    QStringList parts;
    QString current;
    bool inBraces = false;
    for (QChar c : text) {
        if (c == u'{') {
            inBraces = true;
        } else if (c == u'}') {
            inBraces = false;
        }
        if (c == u';' && !inBraces) {
            parts << current;
            current.clear();
        } else {
            current += c;
        }
    }
    parts << current;
    parts.removeIf([](const QString& p) { return p.trimmed().isEmpty(); });
    return parts;
}

}  // namespace

ConnectString ParseConnectString(const QString& text) {
    ConnectString result;
    QString dataSource;
    QStringList rest;
    bool namesDriver = false;
    for (const QString& attribute : SplitAttributes(text)) {
        const qsizetype equals = attribute.indexOf(u'=');
        const QString key = attribute.left(equals).trimmed();
        const QString value = equals < 0 ? QString() : attribute.mid(equals + 1);
        if (key.compare(u"DSN", Qt::CaseInsensitive) == 0) {
            dataSource = value;
        } else if (key.compare(u"UID", Qt::CaseInsensitive) == 0) {
            result.userName = value;
        } else if (key.compare(u"PWD", Qt::CaseInsensitive) == 0) {
            result.password = value;
        } else {
            if (key.compare(u"DRIVER", Qt::CaseInsensitive) == 0 ||
                key.compare(u"SERVER", Qt::CaseInsensitive) == 0) {
                namesDriver = true;
            }
            rest << attribute;
        }
    }
    if (namesDriver) {
        // Qt passes a string that names a driver or server through unchanged.
        if (!dataSource.isEmpty()) {
            rest.prepend(QStringLiteral("DSN=") + dataSource);
        }
        result.databaseName = rest.join(u';');
    } else if (dataSource.isEmpty() && rest.size() == 1 && !rest.front().contains(u'=')) {
        // A bare data source name, as Qt itself accepts it.
        result.databaseName = rest.front().trimmed();
    } else {
        // Qt puts "DSN=" in front of this text itself.
        rest.prepend(dataSource);
        result.databaseName = rest.join(u';');
    }
    return result;
}

QString WithoutSecrets(const QString& text) {
    // A value runs to the next semicolon, or is wrapped in braces that may hold semicolons.
    static const QRegularExpression secret(
        QStringLiteral("\\b(PWD|PASSWORD)(\\s*=\\s*)(\\{[^}]*\\}?|[^;\\n]*)"),
        QRegularExpression::CaseInsensitiveOption);
    return QString(text).replace(secret, QStringLiteral("\\1\\2***"));
}
