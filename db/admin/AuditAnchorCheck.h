#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "audit/AuditLogFile.h"

class Connection;

// What checking audit log files against the centre's anchors found.
struct AnchorCheck {
    QStringList findings;  // each a sentence in plain words; none when the files hold
    QStringList notes;     // what the anchors vouch for, file by file
};

// Checks every anchor of the given stations against the files: the file of the anchor's log id
// must hold the anchored record with the anchored hash. An anchored log for which no file was
// given is a finding too.
AnchorCheck CheckAuditAnchors(Connection& connection, const QList<audit::AnchorableLog>& files,
                              const QList<int>& stations);
