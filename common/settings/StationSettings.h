#pragma once

#include <QString>
#include <QtGlobal>

// The thirteen station settings, named exactly like their stored values. The main window holds
// them and offers each under its name as a property (shell/VrelScan.h). Before loading: empty
// text, 0 and False.
struct StationSettings {
    QString DSNCONNECTSTR;
    QString SQLCONNECTSTR;
    QString ORLAHOST;
    QString INTRAY;
    QString NAMES_FILENAME;
    quint8 ELECTION_TYPE = 0;
    qint16 ELECTION_ID = 0;
    qint16 BALLOTSIZE = 0;
    bool WEIGHTED_ELECTION = false;
    bool PROPORTIONAL_VOTING = false;
    qint16 SYSTEM_ID = 0;
    qint16 SYSTEM_TYPE = 0;
    QString SCANNER_INI;
};

// What the login dialog reports: the operator's user id and privilege level, and whether the
// operator has logged in. The main window holds it and offers each under its name as a property.
struct LoginResult {
    bool LOGIN_SUCCEEDED = false;
    qint16 PRIVILEGE_LEVEL = 0;
    QString USER_ID;
};
