#pragma once

#include <QList>
#include <QString>
#include <optional>
#include <utility>

// The keys and values of one section of an initialisation file, in file order. Section and key
// names are matched without regard to case; keys are held in lower case.
struct IniSection {
    QString folder;  // the file's folder, against which relative paths are resolved
    QList<std::pair<QString, QString>> entries;

    // The value of the key's first entry; empty when absent.
    QString value(const QString& key) const;
    // The value as a path; relative paths are taken from the file's folder. Empty when absent.
    QString path(const QString& key) const;
};

// Lines are "key = value", "[section]", or comments starting with ; or #. Returns nothing when
// the file cannot be read or has no such section.
std::optional<IniSection> readIniSection(const QString& file, const QString& section);
