// lindhollow-admin's check of the stored ballot images against their seals: the centre's copies,
// and with --intray the station's files.

#include <QDir>
#include <QFile>
#include <QSet>
#include <optional>

#include "admin/AdminCommands.h"
#include "admin/CentreCopies.h"
#include "database/Connection.h"
#include "database/Recordset.h"
#include "images/BatchFiles.h"
#include "images/ImageNames.h"
#include "images/ImageSeal.h"

namespace {

struct Tally {
    int verified = 0;
    int changed = 0;
    int missing = 0;
    int unexpected = 0;
    int unsealed = 0;  // batches without a seal
};

// The station's files of the batch in its INTRAY against their seals.
void VerifyBatchFiles(Connection& connection, const QString& intray, const BatchKey& batch,
                      Tally& tally) {
    const QString folder = BatchFolderName(intray, batch.systemId, batch.batchNo);
    const QString name = BatchName(batch);
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
            ImageFile({}, seals.Fields(QStringLiteral("BallotSN")).Value().toString());
        const std::string seal =
            seals.Fields(QStringLiteral("SHA256")).Value().toString().toStdString();
        sealed.insert(file);
        const std::string found = SealOfFile(QFile::encodeName(folder + file).toStdString());
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
    for (const QString& file : ImageFilesIn(folder)) {
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

// The centre's copies of the batch against their seals and the batch seal; with an INTRAY also
// against the station's files. Returns the findings.
int VerifyCentreCopies(Connection& connection, const StationBatchSeals& anchored,
                       const std::optional<QString>& intray, const BatchKey& batch, Tally& centre,
                       int& storedBefore, int& unvouched) {
    const QString folder =
        intray ? BatchFolderName(*intray, batch.systemId, batch.batchNo) : QString();
    QStringList differing;
    const CopyCheck check =
        CheckCentreCopies(connection, anchored, batch, [&](const StoredImage& image, bool) {
            if (!intray || !image.hasCopy) {
                return;
            }
            const QString file = ImageFile({}, image.serial);
            const std::string onDisk = SealOfFile(QFile::encodeName(folder + file).toStdString());
            if (!onDisk.empty() && QString::fromStdString(onDisk) != image.copySeal) {
                differing << QStringLiteral("%1: %2 in the in-tray differs from the centre's copy.")
                                 .arg(BatchName(batch), file);
            }
        });
    for (const QString& finding : check.findings + differing) {
        Out() << finding << '\n';
    }
    if (check.storedBefore) {
        Out() << StoredBeforeSentence(batch, check) << '\n';
        ++storedBefore;
    } else {
        Out() << BatchName(batch) << ": " << check.matching << " of " << check.images
              << " copies at the centre match their seals; " << BatchSealClause(check) << ".\n";
        unvouched += check.vouched ? 0 : 1;
    }
    centre.verified += check.matching;
    centre.changed += check.changed;
    centre.missing += check.missing;
    return int(check.findings.size() + differing.size());
}

}  // namespace

int VerifyImagesCommand(const QCommandLineParser& parser) {
    RequireOnly(parser, {"connect", "intray", "system-id", "batch"});
    const QString connect = Required(parser, "connect");
    std::optional<QString> intray;
    if (parser.isSet("intray")) {
        intray = Required(parser, "intray");
        if (!QDir(*intray).exists()) {
            throw std::runtime_error("the in-tray folder " + intray->toStdString() +
                                     " does not exist");
        }
        if (!intray->endsWith(u'/')) {
            *intray += u'/';
        }
    }
    const std::optional<int> systemId = WholeNumber(parser, QStringLiteral("system-id"));
    const std::optional<int> batchNo = WholeNumber(parser, QStringLiteral("batch"));
    Connection connection;
    connection.Open(connect);
    const QList<BatchKey> batches = ClosedBatches(connection, systemId, batchNo);
    Tally files;
    Tally centre;
    int findings = 0;
    int storedBefore = 0;
    int unvouched = 0;
    QMap<int, StationBatchSeals> anchored;
    for (const BatchKey& batch : batches) {
        const StationBatchSeals& seals =
            SealsAnchoredBy(connection, batch.systemId, anchored, findings);
        if (intray) {
            VerifyBatchFiles(connection, *intray, batch, files);
        }
        findings +=
            VerifyCentreCopies(connection, seals, intray, batch, centre, storedBefore, unvouched);
    }
    if (intray) {
        Out() << batches.size() << " closed batches checked: " << files.verified
              << " images match their seals, " << files.changed << " changed, " << files.missing
              << " missing, " << files.unexpected << " unexpected files, " << files.unsealed
              << " batches without seals.\n";
    }
    Out() << batches.size() << " closed batches checked at the centre: " << centre.verified
          << " copies match their seals, " << centre.changed << " changed, " << centre.missing
          << " missing; " << storedBefore
          << " batches stored before images were kept at the centre, " << unvouched
          << " batches without an anchored batch seal; " << findings << " findings.\n";
    const bool filesHold = files.changed + files.missing + files.unexpected + files.unsealed == 0;
    return filesHold && findings + storedBefore + unvouched == 0 ? 0 : 1;
}
