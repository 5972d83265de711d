#pragma once

#include <QList>
#include <QString>

// One thing found while checking a station's set-up, in plain words: fine, worth a warning (the
// station scans, but the centre is not set up as it should be), or a problem to mend first.
struct Finding {
    enum class Kind { Fine, Warning, Problem };
    Kind kind;
    QString text;
};

// Checks this user's station set-up as the station would meet it: the settings file, and each
// connect string of it on its database (reachable, the password taken, table names without
// regard to letter case, every table there with what the station does on it allowed, an
// operator to log in: `operatorId`, or any when it is empty).
QList<Finding> CheckStation(const QString& operatorId);
