#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

struct AdminToolResult {
    int exitCode;
    QString output;
    QString errors;
};

// Runs lindhollow-admin as an installer does, in a separate process with its own home and
// settings folder (`home`, `home`/config) and user data-source file, `input` on its standard
// input.
AdminToolResult RunAdminTool(const QStringList& arguments, const QString& home,
                             const QString& odbcIni, const QByteArray& input = {});
