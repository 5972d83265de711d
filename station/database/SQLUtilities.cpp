#include "SQLUtilities.h"

QString QuoteSqlText(const QString& text) {
    QString quoted = text;
    quoted.replace(u'\'', QStringLiteral("''"));
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
