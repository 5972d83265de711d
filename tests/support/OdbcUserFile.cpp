#include "support/OdbcUserFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <stdexcept>

QString PrivateOdbcIniFile() {
    static QTemporaryDir folder;
    static const QString file = [] {
        if (!folder.isValid()) {
            throw std::runtime_error("cannot create a temporary folder for odbc.ini");
        }
        const QString path = folder.filePath(QStringLiteral("odbc.ini"));
        QFile(path).open(QIODevice::WriteOnly);
        qputenv("ODBCINI", path.toLocal8Bit());
        return path;
    }();
    return file;
}

void AddUserDataSource(const QString& name, const QList<QPair<QString, QString>>& attributes) {
    QFile file(PrivateOdbcIniFile());
    if (!file.open(QIODevice::Append | QIODevice::Text)) {
        throw std::runtime_error("cannot write " + file.fileName().toStdString());
    }
    QByteArray section = "\n[" + name.toUtf8() + "]\n";
    for (const auto& [key, value] : attributes) {
        section += key.toUtf8() + '=' + value.toUtf8() + '\n';
    }
    file.write(section);
}
