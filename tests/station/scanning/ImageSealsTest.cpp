// The images' seals on the real disk-import scanner and the real ballot-reading library: an image
// changed before End Batch loses the batch, one changed after storage is found by
// lindhollow-admin verify-images, and a disk that fills during a run leaves no partial image.

#include <gtest/gtest.h>

#include <sys/mount.h>
#include <QCryptographicHash>
#include <QFileInfo>
#include <QProcess>
#include <QStorageInfo>
#include <functional>

#include "DiskBatchCycle.h"

namespace {

QByteArray Sha256Of(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256).toHex();
}

void Append(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write(bytes);
}

struct AdminRun {
    int exitCode;
    QString output;
};

AdminRun VerifyImages(TestStation& station) {
    QProcess tool;
    tool.start(QStringLiteral(LINDHOLLOW_ADMIN),
               {"verify-images", "--connect", station.window->DSNCONNECTSTR, "--intray",
                station.Intray(), "--system-id", "3"});
    EXPECT_TRUE(tool.waitForFinished(60000));
    return {tool.exitCode(),
            QString::fromUtf8(tool.readAllStandardOutput() + tool.readAllStandardError())};
}

using ImageSeals = DiskBatchCycle;

struct Tampering {
    const char* name;
    std::function<void(const QString& file)> change;
    const char* shown;  // the box's first sentence, %1 the file
    bool removed;
};

const Tampering kBeforeEndBatch[] = {
    {"changed", [](const QString& file) { Append(file, "x"); },
     "Image file %1 has changed since it was scanned.", false},
    {"removed", [](const QString& file) { QFile::remove(file); },
     "Image file %1 is missing: it was removed after it was scanned.", true},
};

TEST_P(ImageSeals, AnImageChangedBeforeEndBatchLosesTheBatch) {
    for (const Tampering& row : kBeforeEndBatch) {
        SCOPED_TRACE(row.name);
        station->dialogs.shown.clear();
        StartBatch(kHeader7);
        Scan({kBallot, kBallot, kBallot});
        const QString file = Batch().BatchFolder + QStringLiteral("300700002.tif");
        const QByteArray sealed = Sha256Of(file);
        row.change(file);
        const qsizetype from = station->AuditTrail().size();
        EndBatch();

        const QStringList shown = station->Shown();
        ASSERT_GE(shown.size(), 2);
        EXPECT_EQ(shown[shown.size() - 2],
                  QStringLiteral("Image Changed | ") + QString::fromLatin1(row.shown).arg(file) +
                      QStringLiteral("  Batch 7 cannot be stored. | OK | critical"));
        EXPECT_TRUE(shown.last().startsWith(u"Batch 7 Lost | ")) << shown.last().toStdString();
        const QStringList trail = station->AuditTrail(from);
        const QString record =
            QStringLiteral(R"(image-changed {"batch":7,"found":"%1","sealed":"%2",)"
                           R"("serial":300700002})")
                .arg(row.removed ? QString() : QString::fromLatin1(Sha256Of(file)),
                     QString::fromLatin1(sealed));
        EXPECT_TRUE(trail.contains(record)) << trail.join(u'\n').toStdString();
        EXPECT_EQ(station->BatchRow(7), QString());
        EXPECT_EQ(station->ImageRows(7), QStringList());
        EXPECT_EQ(station->Query(QStringLiteral("SELECT Count(*) AS v FROM ImageSeals")), "0");
        EXPECT_EQ(Batch().CurrentBatch, 0);
    }
}

TEST_P(ImageSeals, ImagesChangedAfterStorageAreFoundByVerifyImages) {
    StartBatch(kHeader7);
    Scan({kBallot, kBallot, kBallot});
    EndBatch();
    ASSERT_EQ(station->BatchRow(7), QStringLiteral("5 3 closed"));
    const QString folder = station->BatchFolder(7);
    QStringList serials;
    QStringList hashes;
    for (const QString& name : TestStation::FilesIn(folder)) {
        serials << name.chopped(4);
        hashes << QString::fromLatin1(Sha256Of(folder + name));
    }
    const QString seals = QStringLiteral(
        "SELECT %1 AS v FROM ImageSeals WHERE SystemID = 3 AND BatchNo = 7 ORDER BY ImageSeq");
    EXPECT_EQ(station->QueryRows(seals.arg(u"BallotSN")), serials);
    EXPECT_EQ(station->QueryRows(seals.arg(u"SHA256")), hashes);
    AdminRun run = VerifyImages(*station);
    EXPECT_EQ(run.exitCode, 0) << run.output.toStdString();
    EXPECT_TRUE(run.output.contains(u"Station 3, batch 7: 5 of 5 images match their seals."))
        << run.output.toStdString();

    const QString image = folder + QStringLiteral("300700002.tif");
    const QByteArray original = [&] {
        QFile file(image);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    const Tampering kAfterStorage[] = {
        {"changed", [](const QString& file) { Append(file, "x"); },
         "Station 3, batch 7: 300700002.tif has changed: sealed ", false},
        {"removed", [](const QString& file) { QFile::remove(file); },
         "Station 3, batch 7: 300700002.tif is missing.", true},
        {"unexpected",
         [](const QString& file) { QFile::copy(file, file.chopped(5) + QStringLiteral("9.tif")); },
         "Station 3, batch 7: 300700009.tif is not an image of the batch.", false},
    };
    for (const Tampering& row : kAfterStorage) {
        SCOPED_TRACE(row.name);
        row.change(image);
        run = VerifyImages(*station);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_TRUE(run.output.contains(QLatin1StringView(row.shown))) << run.output.toStdString();
        // As it was, for the next row.
        QFile::remove(folder + QStringLiteral("300700009.tif"));
        QFile file(image);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(original);
    }
}

INSTANTIATE_TEST_SUITE_P(Databases, ImageSeals, testing::Values("SQLite", "MariaDB"));

// A small tmpfs mounted on the station's in-tray for the test's length.
class SmallDisk {
  public:
    explicit SmallDisk(const QString& folder) : folder_(QFile::encodeName(folder)) {
        mounted_ = ::mount("tmpfs", folder_.constData(), "tmpfs", 0, "size=2m") == 0;
        error_ = errno;
    }
    ~SmallDisk() {
        if (mounted_) {
            ::umount2(folder_.constData(), MNT_DETACH);
        }
    }
    bool Mounted() const { return mounted_; }
    std::string Why() const { return std::strerror(error_); }

  private:
    QByteArray folder_;
    bool mounted_ = false;
    int error_ = 0;
};

using FullDisk = DiskBatchCycle;

TEST_P(FullDisk, ADiskThatFillsDuringARunLeavesNoPartialImage) {
    const SmallDisk disk(station->Intray());
    if (!disk.Mounted()) {
        GTEST_SKIP() << "cannot mount a tmpfs as the in-tray here: " << disk.Why();
    }
    StartBatch(kHeader7);
    Scan({kBallot});
    const QString folder = station->BatchFolder(7);
    const qint64 imageBytes = QFileInfo(folder + QStringLiteral("300700001.tif")).size();
    // Room for two or three more images, not four.
    const QString filler = station->Intray() + QStringLiteral("filler");
    {
        QFile file(filler);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        const qint64 bytes = QStorageInfo(station->Intray()).bytesAvailable() - imageBytes * 7 / 2;
        ASSERT_EQ(file.write(QByteArray(bytes, '\0')), bytes);
    }
    Scan({kBallot, kBallot, kBallot, kBallot});

    EXPECT_TRUE(station->Shown().join(u'\n').contains(u"Scanner Error | Scanner Error 20100\r\n"))
        << station->Shown().join(u'\n').toStdString();
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

    ASSERT_TRUE(QFile::remove(filler));
    Scan({});
    EndBatch();
    EXPECT_EQ(station->BatchRow(7), QStringLiteral("7 5 closed"));
    EXPECT_EQ(station->ImageRows(7).size(), 7);
    EXPECT_EQ(TestStation::FilesIn(folder).size(), 7);
}

INSTANTIATE_TEST_SUITE_P(Databases, FullDisk, testing::Values("SQLite"));

}  // namespace
