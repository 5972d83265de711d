#include "database/SQLUtilities.h"

QString QuoteSqlText(const QString& text) {
    const QString quoted = DoubleSqlQuotes(text);
    qsizetype first = 0;
    qsizetype last = quoted.size();
    while (first < last && quoted[first] == u' ') {
        ++first;
    }
    while (last > first && quoted[last - 1] == u' ') {
        --last;
    }
    return quoted.mid(first, last - first);
}

QString DoubleSqlQuotes(const QString& text) {
    QString doubled = text;
    return doubled.replace(u'\'', QStringLiteral("''"));
}
