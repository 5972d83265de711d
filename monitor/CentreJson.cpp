#include "CentreJson.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "CentreReader.h"

namespace {

QJsonValue Time(const QDateTime& moment) {
    if (!moment.isValid()) {
        return QJsonValue::Null;
    }
    return moment.timeSpec() == Qt::UTC ? moment.toString(Qt::ISODate)
                                        : moment.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
}

QJsonValue Number(const std::optional<int>& value) {
    return value ? QJsonValue(*value) : QJsonValue::Null;
}

// Whether the figures are fresh, and since when they are not.
QJsonObject Freshness(const CentreView& view) {
    return {
        {"database", view.databaseUp ? "up" : "unreachable"},
        {"stale", !view.databaseUp},
        {"readAt", Time(view.snapshot ? view.snapshot->readAt : QDateTime())},
        {"checkedAt", Time(view.checkedAt)},
        {"downSince", Time(view.downSince)},
        {"refreshMilliseconds", view.refreshMilliseconds},
    };
}

QJsonArray Stations(const CentreView& view) {
    QJsonArray stations;
    if (!view.snapshot) {
        return stations;
    }
    for (const StationRow& row : view.snapshot->stations) {
        stations.append(QJsonObject{
            {"station", row.systemId},
            {"status", row.status},
            {"task", row.currentTask},
            {"operator", row.userId},
            {"openBatch", Number(row.openBatch)},
            {"openSince", Time(row.openSince)},
            {"lastActivity", Time(row.lastActivity)},
        });
    }
    return stations;
}

QJsonObject Totals(const CentreView& view) {
    if (!view.snapshot) {
        return {};
    }
    const CentreTotals& totals = view.snapshot->totals;
    return {
        {"batchesClosed", totals.batchesClosed},
        {"batchesOpen", totals.batchesOpen},
        {"batchesLost", totals.batchesLost},
        {"lostCountedSince", Time(view.countingSince)},
        {"images", totals.images},
        {"ballots", totals.ballots},
        {"waitingRepair", totals.waitingRepair},
        {"discarded", totals.discarded},
    };
}

QJsonArray Batches(const QList<BatchRow>& batches) {
    QJsonArray rows;
    for (const BatchRow& row : batches) {
        rows.append(QJsonObject{
            {"station", row.systemId},
            {"batch", row.batchNo},
            {"operator", row.userId},
            {"started", Time(row.startTime)},
            {"ended", Time(row.endTime)},
            {"images", Number(row.imageCount)},
            {"ballots", Number(row.ballotCount)},
            {"waitingRepair", Number(row.waitingRepair)},
            {"discarded", Number(row.discarded)},
        });
    }
    return rows;
}

QJsonValue AnchorLags(const CentreView& view) {
    if (!view.snapshot || !view.snapshot->anchorLags) {
        return QJsonValue::Null;
    }
    QJsonArray lags;
    for (const AnchorLag& lag : *view.snapshot->anchorLags) {
        lags.append(QJsonObject{
            {"station", lag.systemId},
            {"lastAnchor", Time(lag.lastAnchor)},
            {"lastBatchEvent", Time(lag.lastBatchEvent)},
        });
    }
    return lags;
}

QJsonValue Backups(const CentreView& view) {
    if (!view.snapshot || !view.snapshot->backups) {
        return QJsonValue::Null;
    }
    QJsonArray backups;
    for (const BackupState& backup : *view.snapshot->backups) {
        backups.append(QJsonObject{
            {"kind", backup.kind},
            {"name", backup.name},
            {"finished", Time(backup.finished)},
            {"verified", backup.verified},
            {"periodMinutes", backup.periodMinutes},
            {"late", backup.late},
        });
    }
    return backups;
}

QJsonArray Pace(const CentreView& view) {
    QJsonArray bins;
    if (view.snapshot) {
        for (const PaceBin& bin : view.snapshot->pace) {
            bins.append(QJsonObject{{"from", Time(bin.from)}, {"ballots", bin.ballots}});
        }
    }
    return bins;
}

QByteArray Document(QJsonObject object, const CentreView& view) {
    const QJsonObject freshness = Freshness(view);
    for (auto field = freshness.begin(); field != freshness.end(); ++field) {
        object.insert(field.key(), field.value());
    }
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

}  // namespace

QByteArray StationsJson(const CentreView& view) {
    return Document({{"stations", Stations(view)}}, view);
}

QByteArray TotalsJson(const CentreView& view) {
    return Document({{"totals", Totals(view)}}, view);
}

QByteArray BatchesJson(const CentreView& view, const QList<BatchRow>& batches) {
    // The first kMostBatches; the next ones follow with the last one's start as `since`.
    return Document({{"batches", Batches(batches)}, {"truncated", batches.size() >= kMostBatches}},
                    view);
}

QByteArray OverviewJson(const CentreView& view) {
    return Document(
        {
            {"stations", Stations(view)},
            {"totals", Totals(view)},
            {"pace", Pace(view)},
            {"lastHour", Batches(view.snapshot ? view.snapshot->lastHour : QList<BatchRow>())},
            {"lastHourCount", view.snapshot ? view.snapshot->lastHourCount : 0},
            {"anchorLags", AnchorLags(view)},
            {"anchorAllowanceSeconds", kAnchorAllowanceSeconds},
            {"backups", Backups(view)},
        },
        view);
}
