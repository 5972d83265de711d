#include "scanner/IniSection.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

QString IniSection::value(const QString& key) const {
    for (const auto& [name, text] : entries)
        if (name.compare(key, Qt::CaseInsensitive) == 0)
            return text;
    return {};
}

QString IniSection::path(const QString& key) const {
    const QString text = value(key);
    return text.isEmpty() ? text : QDir(folder).absoluteFilePath(text);
}

std::optional<IniSection> readIniSection(const QString& file, const QString& section) {
    QFile input(file);
    if (!input.open(QIODevice::ReadOnly | QIODevice::Text))
        return std::nullopt;
    std::optional<IniSection> found;
    bool inSection = false;
    QTextStream lines(&input);
    while (!lines.atEnd()) {
        const QString line = lines.readLine().trimmed();
        if (line.isEmpty() || line.startsWith(u';') || line.startsWith(u'#'))
            continue;
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            inSection =
                line.mid(1, line.size() - 2).trimmed().compare(section, Qt::CaseInsensitive) == 0;
            if (inSection && !found)
                found = IniSection{QFileInfo(file).absolutePath(), {}};
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (inSection && equals > 0)
            found->entries.append(
                {line.left(equals).trimmed().toLower(), line.mid(equals + 1).trimmed()});
    }
    return found;
}
