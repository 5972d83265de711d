#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

#include "audit/AuditLogFile.h"

class Connection;

// One anchor at the centre, as AuditAnchors holds it.
struct Anchor {
    int station;
    QString logId;
    qint64 sequence;
    QByteArray hash;
    QString anchoredAt;  // yyyy-MM-dd HH:mm:ss, UTC
    QString anchored;    // "at TIME UTC by ACCOUNT"
    QByteArray line;     // the anchored record's line; empty in anchors made before they held it
};

// The anchors of the given stations, by station, log id and sequence number.
QList<Anchor> AnchorsOf(Connection& connection, const QList<int>& stations);

// The record of an anchor's line, when the line is the canonical form of a record with the
// anchor's sequence number and hash; nothing otherwise. (Records written before the station knew
// its number carry station 0; the anchor's own SystemID is what the centre guards.)
std::optional<audit::AuditRecord> RecordOfAnchor(const Anchor& anchor);

// What checking audit log files against the centre's anchors found.
struct AnchorCheck {
    QStringList findings;  // each a sentence in plain words; none when the files hold
    QStringList notes;     // what the anchors vouch for, file by file
};

// Checks every anchor of the given stations against the files: the file of the anchor's log id
// must hold the anchored record with the anchored hash, and the anchored line must be that record.
// An anchored log for which no file was given is a finding too.
AnchorCheck CheckAuditAnchors(Connection& connection, const QList<audit::AnchorableLog>& files,
                              const QList<int>& stations);
