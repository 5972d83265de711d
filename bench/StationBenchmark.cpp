#include "StationBenchmark.h"

#include <QFile>
#include <QProcess>
#include <cstdlib>
#include <stdexcept>

#include "database/LHDataAbstraction.h"
#include "images/BatchFiles.h"
#include "images/ImageNames.h"
#include "images/ImageSeal.h"
#include "support/TestStation.h"

namespace {

void MakeSheet(const QStringList& args, const QString& path) {
    if (QProcess::execute(QStringLiteral(MAKE_SHEET_TOOL), args + QStringList{path}) != 0) {
        throw std::runtime_error("lhdll-make-sheet failed");
    }
}

}  // namespace

std::unique_ptr<QApplication> StationApplication(int& argc, char** argv) {
    setenv("LINDHOLLOW_LHDLL", LHDLL_LIBRARY, 1);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    auto application = std::make_unique<QApplication>(argc, argv);
    QApplication::setApplicationName(QStringLiteral("VrelScanning"));
    return application;
}

void ScanBatchSeven(TestStation& station, qint32 images, const QList<QStringList>& ballots) {
    VrelScan& window = station.Start();
    BatchState& batch = station.Batch();
    CreateBatch(window.DSNCONNECTSTR, 7, 3, window.USER_ID);
    batch.CurrentBatch = 7;
    batch.BatchFolder = station.BatchFolder(7);
    PrepareBatchFolder(batch.BatchFolder);
    batch.BatchImages.assign(BatchImagesSize, BatchImage{});
    const auto made = static_cast<qint32>(ballots.size());
    for (qint32 i = 0; i < images; ++i) {
        const QString serial = ImageSerial(3, 7, i);
        batch.BatchImages[i].Serial = serial.toInt();
        const QString file = ImageFile(batch.BatchFolder, serial);
        if (i == 0) {
            MakeSheet({"header", "--type", "-6", "--batch", "7"}, file);
        } else if (i == images - 1) {
            MakeSheet({"ender"}, file);
        } else if (i <= made) {
            MakeSheet(ballots[i - 1], file);
        } else {
            QFile::copy(ImageFile(batch.BatchFolder, ImageSerial(3, 7, 1 + (i - 1) % made)), file);
        }
        // Sealed as the station seals a page when the scanner has written it.
        batch.ImageSeals.push_back(SealOfFile(QFile::encodeName(file).toStdString()));
    }
    batch.ImageCounter = images;
}
