#include "admin/BatchSeals.h"

#include <QSet>
#include <algorithm>

#include "admin/AdminCommands.h"
#include "admin/AuditAnchorCheck.h"
#include "images/ImageSeal.h"

StationBatchSeals AnchoredBatchSeals(Connection& connection, int station) {
    QList<Anchor> anchors = AnchorsOf(connection, {station});
    // In the order the server took them: its clock stamps every anchor, the station's cannot.
    std::stable_sort(anchors.begin(), anchors.end(),
                     [](const Anchor& a, const Anchor& b) { return a.anchoredAt < b.anchoredAt; });
    StationBatchSeals seals;
    QMap<int, AnchoredBatchSeal> ended;  // the last batch-ended since the batch was last lost
    QSet<int> closed;
    for (const Anchor& anchor : anchors) {
        if (anchor.line.isEmpty()) {
            continue;
        }
        const std::optional<audit::AuditRecord> record = RecordOfAnchor(anchor);
        const QString where = QStringLiteral("record %1 of log %2, anchored %3")
                                  .arg(anchor.sequence)
                                  .arg(anchor.logId, anchor.anchored);
        if (!record) {
            seals.madeUpLines << QStringLiteral(
                                     "Station %1: the line anchored as %2 is not that record: "
                                     "it was made up by whoever added the anchor.")
                                     .arg(station)
                                     .arg(where);
            continue;
        }
        const int batch = record->details.value("batch").toInt(-1);
        if (record->event == u"batch-ended") {
            if (closed.contains(batch)) {
                seals.endedAfterClosing[batch] << where;
            } else {
                ended[batch] = {record->details.value("seal").toString(),
                                record->details.value("images").toInteger(), where};
            }
        } else if (record->event == u"batch-lost" && !closed.contains(batch)) {
            ended.remove(batch);
        } else if (record->event == u"batch-closed" && !closed.contains(batch)) {
            closed.insert(batch);
            if (ended.contains(batch)) {
                seals.byBatch.insert(batch, ended.take(batch));
            }
        }
    }
    // A batch whose batch-closed record was not anchored (that anchor failed) has its last
    // batch-ended one.
    for (auto it = ended.cbegin(); it != ended.cend(); ++it) {
        if (!closed.contains(it.key())) {
            seals.byBatch.insert(it.key(), it.value());
        }
    }
    return seals;
}

QStringList CheckBatchSeal(const StationBatchSeals& anchored, const BatchKey& batch,
                           const std::vector<std::string>& seals, int imageRows, bool& vouched) {
    const QString name = BatchName(batch);
    QStringList findings;
    for (const QString& where : anchored.endedAfterClosing.value(batch.batchNo)) {
        findings << QStringLiteral(
                        "%1: its station anchored a batch-ended record for it after it "
                        "was closed (%2): the closed batch was replaced, or the record "
                        "made up.")
                        .arg(name, where);
    }
    const auto found = anchored.byBatch.constFind(batch.batchNo);
    vouched = found != anchored.byBatch.cend() && !found->seal.isEmpty();
    if (!vouched) {
        return findings;
    }
    if (found->images != imageRows) {
        findings << QStringLiteral(
                        "%1: it has %2 image rows, but its station anchored %3 images "
                        "when the batch ended (%4).")
                        .arg(name)
                        .arg(imageRows)
                        .arg(found->images)
                        .arg(found->where);
    }
    if (QString::fromStdString(SealOfBatch(seals)) != found->seal) {
        findings << QStringLiteral(
                        "%1: its seals do not give the batch seal that its station "
                        "anchored when the batch ended (%2): seals were removed, added "
                        "or replaced after the batch was stored.")
                        .arg(name, found->where);
    }
    return findings;
}

const StationBatchSeals& SealsAnchoredBy(Connection& connection, int station,
                                         QMap<int, StationBatchSeals>& read, int& findings) {
    if (!read.contains(station)) {
        read.insert(station, AnchoredBatchSeals(connection, station));
        for (const QString& line : read[station].madeUpLines) {
            Out() << line << '\n';
            ++findings;
        }
    }
    return read[station];
}
