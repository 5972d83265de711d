#include "AdminToolRun.h"

#include <gtest/gtest.h>

#include <QProcess>

AdminToolResult RunAdminTool(const QStringList& arguments, const QString& home,
                             const QString& odbcIni, const QByteArray& input) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("HOME", home);
    environment.insert("XDG_CONFIG_HOME", home + QStringLiteral("/config"));
    environment.insert("ODBCINI", odbcIni);
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(LINDHOLLOW_ADMIN), arguments);
    process.write(input);
    process.closeWriteChannel();
    EXPECT_TRUE(process.waitForFinished(60000));
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}
