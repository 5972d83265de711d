#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

class AuditLog;

// The station's lost batches whose rows are still in the database, because it could not be
// reached when they were lost. They are removed as soon as it answers again, before a batch
// number can be used again, so that a batch is scanned again under its number without a
// restart and no row of the lost one stays beside the new ones.
//
// Each removal, and each batch kept for later, goes to the audit log.
class LostBatches {
  public:
    explicit LostBatches(AuditLog& audit) : audit_(audit) {}

    // Removes the batch's rows, or keeps the batch for a later try; true when they are gone.
    bool Remove(const QString& connectString, qint16 systemId, qint16 batchNo);
    // Tries again for every batch kept; true when none is left.
    bool RemoveKept(const QString& connectString, qint16 systemId);

  private:
    AuditLog& audit_;
    QList<qint16> kept_;
};
