#include "audit/AuditAnchoring.h"

#include "audit/AuditLog.h"
#include "database/LHDataAbstraction.h"

void AnchorAuditLog(AuditLog& log, const QString& connectString, qint16 systemId) {
    const std::optional<AuditLog::Anchor> latest = log.LatestRecord();
    if (systemId <= 0 || !latest) {
        return;
    }
    if (!AddAuditAnchor(connectString, systemId, latest->logId, latest->sequence,
                        QString::fromLatin1(latest->hash), QString::fromUtf8(latest->line))) {
        log.Append(QStringLiteral("audit-anchor-failed"),
                   {{"log_id", latest->logId}, {"seq", latest->sequence}});
    }
}
