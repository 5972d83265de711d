#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <map>
#include <stdexcept>

// A sheet made once per process by the image tool at `tool`, e.g. {"header", "--type", "-6",
// "--batch", "7"}; the same arguments give the same file.
inline QString MadeSheet(const QString& tool, const QStringList& args) {
    static QTemporaryDir made;
    static std::map<QString, QString> sheets;
    const QString key = args.join(u' ');
    if (const auto found = sheets.find(key); found != sheets.end()) {
        return found->second;
    }
    const QString path = made.filePath(QStringLiteral("sheet%1.tif").arg(sheets.size()));
    if (QProcess::execute(tool, args + QStringList{path}) != 0) {
        throw std::runtime_error("lhdll-make-sheet failed for " + key.toStdString());
    }
    sheets[key] = path;
    return path;
}
