#pragma once

#include <QString>

// The parts of an ODBC connect string that Qt's ODBC driver wants separately.
// Qt prefixes "DSN=" to whatever does not name a driver or server, so the string
// "DSN=Lindhollow;" must be taken apart before it is handed over.
struct ConnectString {
    QString databaseName;  // what Qt's driver receives: the data source and every other attribute
    QString userName;      // UID
    QString password;      // PWD
};

ConnectString ParseConnectString(const QString& text);

// The text with the value of every PWD= and PASSWORD= attribute shown as ***, for what is printed
// or logged.
QString WithoutSecrets(const QString& text);
