#pragma once

// A closed batch's images as the centre keeps them: their rows, seals and copies, read a few at
// a time, so that a batch's bytes are never all in memory at once.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVariant>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class Connection;

struct BatchKey {
    int systemId;
    int batchNo;
};

// "Station 3, batch 7", as every finding names a batch.
QString BatchName(const BatchKey& batch);

// The closed batches of station systemId (of every station without it), only batchNo when given;
// throws std::runtime_error, naming it, when batchNo is given and there is no such closed batch.
QList<BatchKey> ClosedBatches(Connection& connection, std::optional<int> systemId,
                              std::optional<int> batchNo);

// What the centre holds of one image row of a batch.
struct StoredImage {
    qint32 sequence;
    QString serial;
    QVariant status;
    QVariant error;
    QString seal;      // its seal; empty when it has none
    bool hasCopy;      // whether the centre keeps the file's bytes
    QByteArray copy;   // those bytes
    QString copySeal;  // the seal of those bytes, as the centre has them now
};

// Calls `each` for every image row of the batch, in sequence order.
void ForEachStoredImage(Connection& connection, const BatchKey& batch,
                        const std::function<void(const StoredImage&)>& each);

// The batch's seals in sequence order, whatever its image rows.
std::vector<std::string> SealsOf(Connection& connection, const BatchKey& batch);
