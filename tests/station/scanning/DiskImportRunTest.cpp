#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTest>

#include "scanner/ImagingControl.h"
#include "scanner/ScannerControl.h"
#include "scanning/ImageNames.h"
#include "support/StationHarness.h"

namespace {

// The station on the real scanner controls, importing sheets from disk folders.
class DiskImportRun : public testing::Test {
  protected:
    void SetUp() override {
        QDir home(station_.home.path());
        for (const char* folder : {"paper/cards", "paper/feeder", "paper/tray"}) {
            ASSERT_TRUE(home.mkpath(QLatin1StringView(folder)));
        }
        QFile ini(home.filePath(QStringLiteral("scanner.ini")));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write(
            "[KSCAN]\nSource = disk\nCardSlot = paper/cards\nFeeder = paper/feeder\n"
            "OutputTray = paper/tray\n\n[KImgp]\nEndorser = yes\n");
    }

    QString Folder(const char* name) const {
        return station_.home.filePath(QStringLiteral("paper/") + QLatin1StringView(name));
    }

    void FeedBallots(int count) {
        for (int i = 1; i <= count; ++i) {
            const QString sheet = Folder("feeder") + QStringLiteral("/ballot%1.tif").arg(i);
            ASSERT_EQ(QProcess::execute(QStringLiteral(MAKE_SHEET_TOOL),
                                        {QStringLiteral("ballot"), sheet}),
                      0);
        }
    }

    // Declared first: the window holds on to them until the station goes.
    ScannerControl scanner_;
    ImagingControl imaging_;
    StationHarness station_;
};

TEST_F(DiskImportRun, EverySheetBecomesTheNextImageOfTheBatch) {
    FeedBallots(3);
    VrelScan& window = station_.MakeWindow(scanner_, imaging_);
    station_.Start();
    EXPECT_EQ(window.chkActivateEndorser->checkState(), Qt::Checked);  // the endorser is offered
    station_.OpenBatch(7);
    window.cmdStartScanner->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.cmdStartScanner->isEnabled(); }, 30000));

    for (qint32 i = 1; i <= 3; ++i) {
        const QString file = ImageFile(window.Cycle().State().BatchFolder, ImageSerial(3, 7, i));
        EXPECT_TRUE(QFile::exists(file)) << file.toStdString();
        EXPECT_EQ(window.Cycle().State().BatchImages[i].Serial, 300700000 + i);
    }
    EXPECT_EQ(window.Cycle().State().ImageCounter, 4);
    EXPECT_EQ(window.lblImageCount->text(), QStringLiteral("Image Count: 3"));
    ASSERT_EQ(station_.dialogs.shown.size(), 1);
    EXPECT_EQ(station_.dialogs.shown[0].title, QStringLiteral("Feeder Empty"));
    EXPECT_TRUE(QDir(Folder("feeder")).isEmpty());
    EXPECT_EQ(QDir(Folder("tray")).entryList(QDir::Files).size(), 3);
    EXPECT_EQ(station_.StationRow(), QStringLiteral("ONLINE/SCANNING"));

    window.close();
    EXPECT_EQ(station_.StationRow(), QStringLiteral("OFFLINE/IDLE"));
}

TEST_F(DiskImportRun, RetryAfterTheScannerIsConnectedCompletesTheStartUp) {
    ASSERT_TRUE(QDir(Folder("feeder")).removeRecursively());
    station_.dialogs.answers = {Dialogs::Answer::Retry};
    station_.dialogs.onShown = [this](const ShownBox&) { QDir().mkpath(Folder("feeder")); };
    station_.MakeWindow(scanner_, imaging_);
    station_.Start();
    EXPECT_EQ(station_.login.shown, 1);
    ASSERT_EQ(station_.dialogs.shown.size(), 1);
    EXPECT_EQ(station_.dialogs.shown[0].text,
              QStringLiteral("Scanner is not hooked up or power is off.  Connect and turn on the "
                             "scanner."));
}

}  // namespace
