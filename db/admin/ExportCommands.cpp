// lindhollow-admin export-batch: the images of closed batches from the centre alone, for a
// recount: each under the name its station gave it, in a folder named as the station names its
// batch folders, checked against its seal as it is written, with the batch's manifest.

#include <QDir>
#include <QFile>
#include <QMap>
#include <stdexcept>

#include "admin/AdminCommands.h"
#include "admin/CentreCopies.h"
#include "database/Connection.h"
#include "images/BatchFiles.h"
#include "images/ImageNames.h"

namespace {

void WriteWhole(QFile& file, const QByteArray& bytes) {
    if (file.write(bytes) != bytes.size()) {
        throw std::runtime_error("cannot write " + file.fileName().toStdString() + ": " +
                                 file.errorString().toStdString());
    }
}

void OpenForWriting(QFile& file) {
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        throw std::runtime_error("cannot write " + file.fileName().toStdString() + ": " +
                                 file.errorString().toStdString());
    }
}

struct Tally {
    int written = 0;
    int findings = 0;
    int storedBefore = 0;
};

void ExportBatch(Connection& connection, const StationBatchSeals& anchored, const QString& out,
                 const BatchKey& batch, Tally& tally) {
    const QString folder = BatchFolderName(out, batch.systemId, batch.batchNo);
    PrepareBatchFolder(folder);
    QFile manifest(folder + QStringLiteral("manifest.csv"));
    OpenForWriting(manifest);
    WriteWhole(manifest, "serial,sequence,status,error,sha256\n");
    const CopyCheck check =
        CheckCentreCopies(connection, anchored, batch, [&](const StoredImage& image, bool matches) {
            WriteWhole(manifest,
                       QStringLiteral("%1,%2,%3,%4,%5\n")
                           .arg(image.serial)
                           .arg(image.sequence)
                           .arg(image.status.toString(), image.error.toString(), image.seal)
                           .toUtf8());
            // A copy that does not match its seal is no ballot of the batch: never written.
            if (matches) {
                QFile file(ImageFile(folder, image.serial));
                OpenForWriting(file);
                WriteWhole(file, image.copy);
            }
        });
    manifest.close();
    for (const QString& finding : check.findings) {
        Out() << finding << '\n';
    }
    if (check.storedBefore) {
        Out() << StoredBeforeSentence(batch, check) << '\n';
        ++tally.storedBefore;
    } else {
        Out() << BatchName(batch) << ": " << check.matching << " of " << check.images
              << " images written to " << QDir::toNativeSeparators(folder)
              << ", each matching its seal; " << BatchSealClause(check) << ".\n";
    }
    tally.written += check.matching;
    tally.findings += int(check.findings.size());
}

}  // namespace

int ExportBatchCommand(const QCommandLineParser& parser) {
    RequireOnly(parser, {"connect", "system-id", "batch", "all-closed", "out", "force"});
    const QString connect = Required(parser, "connect");
    QString out = Required(parser, "out");
    const std::optional<int> systemId = WholeNumber(parser, QStringLiteral("system-id"));
    const std::optional<int> batchNo = WholeNumber(parser, QStringLiteral("batch"));
    if (parser.isSet("all-closed") == batchNo.has_value()) {
        throw UsageError("export-batch needs either --batch N or --all-closed");
    }
    if (batchNo && !systemId) {
        throw UsageError("--batch of export-batch needs --system-id");
    }
    if (QDir(out).exists() && !QDir(out).isEmpty() && !parser.isSet("force")) {
        throw std::runtime_error("the folder " + out.toStdString() +
                                 " is not empty; --force writes into it, replacing the images of "
                                 "the batches exported");
    }
    Connection connection;
    connection.Open(connect);
    const QList<BatchKey> batches = ClosedBatches(connection, systemId, batchNo);
    if (!QDir().mkpath(out)) {
        throw std::runtime_error("cannot make the folder " + out.toStdString());
    }
    if (!out.endsWith(u'/')) {
        out += u'/';
    }
    Tally tally;
    QMap<int, StationBatchSeals> anchored;
    for (const BatchKey& batch : batches) {
        ExportBatch(connection,
                    SealsAnchoredBy(connection, batch.systemId, anchored, tally.findings), out,
                    batch, tally);
    }
    Out() << batches.size() << " closed batches exported to " << QDir::toNativeSeparators(out)
          << ": " << tally.written << " images written; " << tally.storedBefore
          << " batches stored before images were kept at the centre; " << tally.findings
          << " findings.\n";
    return tally.findings + tally.storedBefore == 0 ? 0 : 1;
}
