#pragma once

#include <QList>
#include <QString>
#include <optional>

#include "audit/AuditRecord.h"

// A station's audit log as a table for people: one line per record, the details as name=value.
// Only the records of batch (when given) and of event (when not empty) are shown.
QString AuditLogTable(const QList<audit::AuditRecord>& records, std::optional<int> batch,
                      const QString& event);
