#pragma once

#include <QList>
#include <QPair>
#include <QString>

// Makes unixODBC read user data sources from a file private to this test process
// (through ODBCINI) and adds data sources to it.
QString PrivateOdbcIniFile();
void AddUserDataSource(const QString& name, const QList<QPair<QString, QString>>& attributes);
