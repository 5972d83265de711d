// lindhollow-admin's check of the stored ballot images against their seals in the centre.

#include <QDir>
#include <QFile>
#include <QSet>
#include <optional>

#include "admin/AdminCommands.h"
#include "database/Connection.h"
#include "database/Recordset.h"
#include "scanning/ImageSeal.h"

namespace {

struct BatchKey {
    int systemId;
    int batchNo;
};

std::optional<int> WholeNumber(const QCommandLineParser& parser, const QString& option) {
    if (!parser.isSet(option)) {
        return std::nullopt;
    }
    bool ok = false;
    const int value = parser.value(option).toInt(&ok);
    if (!ok) {
        throw UsageError("--" + option.toStdString() + " must be a whole number");
    }
    return value;
}

QList<BatchKey> ClosedBatches(Connection& connection, std::optional<int> systemId,
                              std::optional<int> batchNo) {
    QString query =
        QStringLiteral("SELECT SystemID, BatchNo FROM Batches WHERE EndTime IS NOT NULL");
    if (systemId) {
        query += QStringLiteral(" AND SystemID = %1").arg(*systemId);
    }
    if (batchNo) {
        query += QStringLiteral(" AND BatchNo = %1").arg(*batchNo);
    }
    Recordset rows;
    rows.Open(query + QStringLiteral(" ORDER BY SystemID, BatchNo"), connection);
    QList<BatchKey> batches;
    for (; !rows.Eof(); rows.MoveNext()) {
        batches.append({rows.Fields(QStringLiteral("SystemID")).Value().toInt(),
                        rows.Fields(QStringLiteral("BatchNo")).Value().toInt()});
    }
    return batches;
}

struct Tally {
    int verified = 0;
    int changed = 0;
    int missing = 0;
    int unexpected = 0;
    int unsealed = 0;  // batches without a seal
};

// The batch folder of the station's INTRAY: the station number, the batch number in at least
// three digits.
QString BatchFolder(const QString& intray, const BatchKey& batch) {
    return QDir(intray).filePath(
        QStringLiteral("%1%2").arg(batch.systemId).arg(batch.batchNo, 3, 10, QChar(u'0')));
}

void VerifyBatch(Connection& connection, const QString& intray, const BatchKey& batch,
                 Tally& tally) {
    const QString folder = BatchFolder(intray, batch);
    const QString name =
        QStringLiteral("Station %1, batch %2").arg(batch.systemId).arg(batch.batchNo);
    Recordset seals;
    seals.Open(QStringLiteral("SELECT BallotSN, SHA256 FROM ImageSeals WHERE SystemID = %1 AND "
                              "BatchNo = %2 ORDER BY ImageSeq")
                   .arg(batch.systemId)
                   .arg(batch.batchNo),
               connection);
    QSet<QString> sealed;
    int verified = 0;
    for (; !seals.Eof(); seals.MoveNext()) {
        const QString file =
            seals.Fields(QStringLiteral("BallotSN")).Value().toString() + QStringLiteral(".tif");
        const std::string seal =
            seals.Fields(QStringLiteral("SHA256")).Value().toString().toStdString();
        sealed.insert(file);
        const std::string found =
            SealOfFile(QFile::encodeName(QDir(folder).filePath(file)).toStdString());
        if (found.empty()) {
            Out() << name << ": " << file << " is missing.\n";
            ++tally.missing;
        } else if (found != seal) {
            Out() << name << ": " << file << " has changed: sealed " << seal.c_str() << ", now "
                  << found.c_str() << ".\n";
            ++tally.changed;
        } else {
            ++verified;
        }
    }
    if (sealed.isEmpty()) {
        Out() << name << ": has no seals, so its images cannot be verified.\n";
        ++tally.unsealed;
    }
    const QStringList present = QDir(folder).entryList(
        {QStringLiteral("*.tif"), QStringLiteral("*.TIF")}, QDir::Files, QDir::Name);
    for (const QString& file : present) {
        if (!sealed.contains(file)) {
            Out() << name << ": " << file << " is not an image of the batch.\n";
            ++tally.unexpected;
        }
    }
    if (!sealed.isEmpty()) {
        Out() << name << ": " << verified << " of " << sealed.size()
              << " images match their seals.\n";
    }
    tally.verified += verified;
}

}  // namespace

int VerifyImagesCommand(const QCommandLineParser& parser) {
    RequireOnly(parser, {"connect", "intray", "system-id", "batch"});
    const QString connect = Required(parser, "connect");
    const QString intray = Required(parser, "intray");
    if (!QDir(intray).exists()) {
        throw std::runtime_error("the in-tray folder " + intray.toStdString() + " does not exist");
    }
    const std::optional<int> systemId = WholeNumber(parser, QStringLiteral("system-id"));
    const std::optional<int> batchNo = WholeNumber(parser, QStringLiteral("batch"));
    Connection connection;
    connection.Open(connect);
    const QList<BatchKey> batches = ClosedBatches(connection, systemId, batchNo);
    Tally tally;
    for (const BatchKey& batch : batches) {
        VerifyBatch(connection, intray, batch, tally);
    }
    Out() << batches.size() << " closed batches checked: " << tally.verified
          << " images match their seals, " << tally.changed << " changed, " << tally.missing
          << " missing, " << tally.unexpected << " unexpected files, " << tally.unsealed
          << " batches without seals.\n";
    return tally.changed + tally.missing + tally.unexpected + tally.unsealed == 0 ? 0 : 1;
}
