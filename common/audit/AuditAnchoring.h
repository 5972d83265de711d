#pragma once

#include <QString>
#include <QtGlobal>

class AuditLog;

// Anchors the audit log's latest record at the centre (AuditAnchors): its log id, sequence
// number, hash and line, on a connection of its own. Whoever can write the log file can rewrite
// it, but not the anchors; an auditor checks the file against them (lindhollow-admin verify-log
// --connect). The anchored line of a batch-ended record gives the centre the batch's seal, which
// its seals must give again (lindhollow-admin verify-images).
//
// An anchor that cannot be written is recorded in the log, and the next anchor covers that
// record; it never stops the station nor shows a box. A station without a number (its settings
// unread) has nothing to anchor under.
void AnchorAuditLog(AuditLog& log, const QString& connectString, qint16 systemId);
