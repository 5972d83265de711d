#include "LostBatches.h"

#include "audit/AuditLog.h"
#include "database/LHDataAbstraction.h"

bool LostBatches::Remove(const QString& connectString, qint16 systemId, qint16 batchNo) {
    if (DeleteBatch(connectString, systemId, batchNo)) {
        audit_.Append(QStringLiteral("lost-batch-removed"),
                      {{"batch", batchNo}, {"later", kept_.contains(batchNo)}});
        kept_.removeAll(batchNo);
        return true;
    }
    if (!kept_.contains(batchNo)) {
        audit_.Append(QStringLiteral("lost-batch-kept"), {{"batch", batchNo}});
        kept_.append(batchNo);
    }
    return false;
}

bool LostBatches::RemoveKept(const QString& connectString, qint16 systemId) {
    for (const qint16 batchNo : QList<qint16>(kept_)) {
        Remove(connectString, systemId, batchNo);
    }
    return kept_.isEmpty();
}
