#include "admin/CentreCopies.h"

#include "images/ImageNames.h"

CopyCheck CheckCentreCopies(Connection& connection, const StationBatchSeals& anchored,
                            const BatchKey& batch,
                            const std::function<void(const StoredImage&, bool matches)>& each) {
    const QString name = BatchName(batch);
    CopyCheck check;
    QStringList withoutCopy;
    ForEachStoredImage(connection, batch, [&](const StoredImage& image) {
        ++check.images;
        const QString file = ImageFile({}, image.serial);
        const bool matches = image.hasCopy && !image.seal.isEmpty() && image.copySeal == image.seal;
        if (!image.hasCopy) {
            withoutCopy << file;
        } else if (image.seal.isEmpty()) {
            check.findings << QStringLiteral(
                                  "%1: %2 has no seal, so its copy at the centre "
                                  "cannot be checked.")
                                  .arg(name, file);
        } else if (!matches) {
            ++check.changed;
            check.findings << QStringLiteral(
                                  "%1: the centre's copy of %2 does not match its "
                                  "seal: sealed %3, the copy's is %4.")
                                  .arg(name, file, image.seal, image.copySeal);
        } else {
            ++check.matching;
        }
        each(image, matches);
    });
    const QStringList sealFindings =
        CheckBatchSeal(anchored, batch, SealsOf(connection, batch), check.images, check.vouched);
    check.sealHolds = check.vouched && sealFindings.isEmpty();
    check.findings += sealFindings;
    // A station that anchors its batch seals keeps its images at the centre too: a batch with
    // an anchored seal and no copy lost its copies.
    check.storedBefore = !check.vouched && check.images > 0 && withoutCopy.size() == check.images;
    if (!check.storedBefore) {
        check.missing = int(withoutCopy.size());
        for (const QString& file : withoutCopy) {
            check.findings << QStringLiteral("%1: %2 has no copy at the centre.").arg(name, file);
        }
    }
    return check;
}

QString StoredBeforeSentence(const BatchKey& batch, const CopyCheck& check) {
    return QStringLiteral(
               "%1: stored before images were kept at the centre: the centre holds no "
               "copy of its %2 images and no batch seal of it.")
        .arg(BatchName(batch))
        .arg(check.images);
}

QString BatchSealClause(const CopyCheck& check) {
    if (!check.vouched) {
        return QStringLiteral(
            "no batch seal of it is anchored at the centre, so nothing vouches "
            "for its seals as a whole");
    }
    return check.sealHolds ? QStringLiteral("its seals give the batch seal anchored when it ended")
                           : QStringLiteral(
                                 "it does not agree with what its station "
                                 "anchored when it ended");
}
