// The images' seals on the real disk-import scanner and the real ballot-reading library: an image
// changed before End Batch loses the batch, the stored batch's bytes at the centre are its files,
// one changed after storage is found by lindhollow-admin verify-images, and a disk that fills
// during a run leaves no partial image.

#include <gtest/gtest.h>

#include <sys/mount.h>
#include <QFileInfo>
#include <QProcess>
#include <QStorageInfo>
#include <functional>

#include "DiskBatchCycle.h"

namespace {

// lindhollow-admin verify-images on station 3's closed batches: its exit code and its output.
std::pair<int, QString> VerifyImages(TestStation& station) {
    QProcess tool;
    tool.start(QStringLiteral(LINDHOLLOW_ADMIN),
               {"verify-images", "--connect", station.window->DSNCONNECTSTR, "--intray",
                station.Intray(), "--system-id", "3"});
    EXPECT_TRUE(tool.waitForFinished(60000));
    return {tool.exitCode(), QString::fromUtf8(tool.readAll())};
}

// One way to tamper with an image file, and what the station or the tool says about it.
struct Tampering {
    const char* name;
    std::function<void(const QString& file)> change;
    const char* said;
};

const auto kChange = [](const QString& file) {
    QFile image(file);
    ASSERT_TRUE(image.open(QIODevice::Append));
    image.write("x");
};
const auto kRemove = [](const QString& file) { QFile::remove(file); };

const Tampering kBeforeEndBatch[] = {
    {"changed", kChange, "Image file %1 has changed since it was scanned."},
    {"removed", kRemove, "Image file %1 is missing: it was removed after it was scanned."},
};

using ImageSeals = DiskBatchCycle;

TEST_P(ImageSeals, AnImageChangedBeforeEndBatchLosesTheBatch) {
    for (const Tampering& row : kBeforeEndBatch) {
        SCOPED_TRACE(row.name);
        StartBatch(kHeader7);
        Scan({kBallot, kBallot, kBallot});
        const QString file = Batch().BatchFolder + QStringLiteral("300700002.tif");
        const QString sealed = Sha256Of(file);
        row.change(file);
        const qsizetype from = station->AuditTrail().size();
        EndBatch();

        const QStringList shown = station->Shown().mid(station->Shown().size() - 2);
        EXPECT_EQ(shown.first(), QStringLiteral("Image Changed | ") +
                                     QString::fromLatin1(row.said).arg(file) +
                                     QStringLiteral("  Batch 7 cannot be stored. | OK | critical"));
        EXPECT_TRUE(shown.last().startsWith(u"Batch 7 Lost | ")) << shown.last().toStdString();
        EXPECT_TRUE(station->AuditTrail(from).contains(
            QStringLiteral(R"(image-changed {"batch":7,"found":"%1","sealed":"%2",)"
                           R"("serial":300700002})")
                .arg(Sha256Of(file), sealed)));
        EXPECT_EQ(station->BatchRow(7), QString());
        EXPECT_EQ(station->ImageRows(7), QStringList());
        EXPECT_EQ(station->Query(QStringLiteral("SELECT (SELECT Count(*) FROM ImageSeals) + "
                                                "(SELECT Count(*) FROM ImageFiles) AS v")),
                  "0");
    }
}

TEST_P(ImageSeals, ImagesChangedAfterStorageAreFoundByVerifyImages) {
    StartBatch(kHeader7);
    Scan({kBallot, kBallot, kBallot});
    EndBatch();
    ASSERT_EQ(station->BatchRow(7), QStringLiteral("5 3 closed"))
        << station->Shown().join(u'\n').toStdString();
    const QString folder = station->BatchFolder(7);
    QStringList seals;
    for (const QString& name : TestStation::FilesIn(folder)) {
        seals << name.chopped(4) + u' ' + Sha256Of(folder + name);
    }
    const QString column = QStringLiteral(
        "SELECT %1 AS v FROM ImageSeals WHERE SystemID = 3 AND BatchNo = 7 ORDER BY ImageSeq");
    const QStringList serials = station->QueryRows(column.arg(u"BallotSN"));
    const QStringList hashes = station->QueryRows(column.arg(u"SHA256"));
    QStringList stored;
    for (int i = 0; i < serials.size(); ++i) {
        stored << serials[i] + u' ' + hashes.value(i);
    }
    EXPECT_EQ(stored, seals);
    // The centre keeps each image's bytes as the scanner wrote them, under the same seal.
    QStringList files;
    for (const QString& name : TestStation::FilesIn(folder)) {
        QFile file(folder + name);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        files << QString::fromLatin1(file.readAll().toHex().toUpper());
    }
    const QString kept = QStringLiteral(
        "SELECT %1 AS v FROM ImageFiles WHERE SystemID = 3 AND BatchNo = 7 ORDER BY ImageSeq");
    EXPECT_EQ(station->QueryRows(kept.arg(u"HEX(ImageData)")), files);
    EXPECT_EQ(station->QueryRows(kept.arg(u"SHA256")), hashes);
    auto [exitCode, output] = VerifyImages(*station);
    EXPECT_EQ(exitCode, 0) << output.toStdString();
    EXPECT_TRUE(output.contains(u"Station 3, batch 7: 5 of 5 images match their seals."));

    const QString image = folder + QStringLiteral("300700002.tif");
    const QString copy = station->home.filePath(QStringLiteral("original.tif"));
    ASSERT_TRUE(QFile::copy(image, copy));
    const Tampering kAfterStorage[] = {
        {"changed", kChange, "Station 3, batch 7: 300700002.tif has changed: sealed "},
        {"removed", kRemove, "Station 3, batch 7: 300700002.tif is missing."},
        {"unexpected", [](const QString& file) { QFile::copy(file, file.chopped(5) + "9.tif"); },
         "Station 3, batch 7: 300700009.tif is not an image of the batch."},
    };
    for (const Tampering& row : kAfterStorage) {
        SCOPED_TRACE(row.name);
        row.change(image);
        std::tie(exitCode, output) = VerifyImages(*station);
        EXPECT_EQ(exitCode, 1);
        EXPECT_TRUE(output.contains(QLatin1StringView(row.said))) << output.toStdString();
        // As it was, for the next row.
        QFile::remove(folder + QStringLiteral("300700009.tif"));
        QFile::remove(image);
        ASSERT_TRUE(QFile::copy(copy, image));
    }
}

INSTANTIATE_TEST_SUITE_P(Databases, ImageSeals, testing::Values("SQLite", "MariaDB"));

using FullDisk = DiskBatchCycle;

TEST_P(FullDisk, ADiskThatFillsDuringARunLeavesNoPartialImage) {
    // A small tmpfs as the in-tray, for the test's length.
    const QByteArray intray = QFile::encodeName(station->Intray());
    if (::mount("tmpfs", intray.constData(), "tmpfs", 0, "size=2m") != 0) {
        GTEST_SKIP() << "cannot mount a tmpfs as the in-tray here: " << std::strerror(errno);
    }
    const auto unmount = qScopeGuard([&] { ::umount2(intray.constData(), MNT_DETACH); });
    StartBatch(kHeader7);
    Scan({kBallot});
    const QString folder = station->BatchFolder(7);
    // Room for two or three more images, not four.
    QFile filler(station->Intray() + QStringLiteral("filler"));
    ASSERT_TRUE(filler.open(QIODevice::WriteOnly));
    const qint64 bytes = QStorageInfo(station->Intray()).bytesAvailable() -
                         QFileInfo(folder + QStringLiteral("300700001.tif")).size() * 7 / 2;
    ASSERT_EQ(filler.write(QByteArray(bytes, '\0')), bytes);
    filler.close();
    Scan({kBallot, kBallot, kBallot, kBallot});

    EXPECT_TRUE(station->Shown().join(u'\n').contains(u"Scanner Error | Scanner Error 20100\r\n"));
    // The images written before the disk was full, and no file of the page that failed: its
    // sheet is still in the feeder, and its serial is the next one again.
    const qint32 next = Batch().ImageCounter;
    ASSERT_GE(next, 2);
    ASSERT_LT(next, 6);
    QStringList written;
    for (qint32 i = 0; i < next; ++i) {
        written << ImageSerial(3, 7, i) + QStringLiteral(".tif");
    }
    EXPECT_EQ(TestStation::FilesIn(folder), written);
    EXPECT_EQ(TestStation::FilesIn(station->Feeder()).size(), 6 - next);
    EXPECT_EQ(Batch().NextImageFile, folder + ImageSerial(3, 7, next) + QStringLiteral(".tif"));
    EXPECT_TRUE(station->AuditTrail().contains(
        QStringLiteral(R"(image-not-written {"batch":7,"serial":%1})")
            .arg(ImageSerial(3, 7, next))));

    ASSERT_TRUE(filler.remove());
    Scan({});
    EndBatch();
    EXPECT_EQ(station->BatchRow(7), QStringLiteral("7 5 closed"));
    EXPECT_EQ(TestStation::FilesIn(folder).size(), 7);
}

INSTANTIATE_TEST_SUITE_P(Databases, FullDisk, testing::Values("SQLite"));

}  // namespace
