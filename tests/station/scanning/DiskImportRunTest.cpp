#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTest>

#include "images/ImageNames.h"
#include "support/TestStation.h"

namespace {

// The station on the real scanner controls, importing sheets from disk folders.
class DiskImportRun : public testing::Test {
  protected:
    void FeedBallots(int count) {
        for (int i = 1; i <= count; ++i) {
            const QString sheet = station_.Feeder() + QStringLiteral("ballot%1.tif").arg(i);
            ASSERT_EQ(QProcess::execute(QStringLiteral(MAKE_SHEET_TOOL),
                                        {QStringLiteral("ballot"), sheet}),
                      0);
        }
    }

    TestStation station_{QStringLiteral("SQLite"), TestStation::Scanner::DiskImport};
};

TEST_F(DiskImportRun, EverySheetBecomesTheNextImageOfTheBatch) {
    FeedBallots(3);
    VrelScan& window = station_.MakeWindow();
    station_.Start();
    EXPECT_EQ(window.chkActivateEndorser->checkState(), Qt::Checked);  // the endorser is offered
    station_.OpenBatch(7);
    window.cmdStartScanner->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.cmdStartScanner->isEnabled(); }, 30000));

    for (qint32 i = 1; i <= 3; ++i) {
        const QString file = ImageFile(station_.Batch().BatchFolder, ImageSerial(3, 7, i));
        EXPECT_TRUE(QFile::exists(file)) << file.toStdString();
        EXPECT_EQ(station_.Batch().BatchImages[i].Serial, 300700000 + i);
    }
    EXPECT_EQ(station_.Batch().ImageCounter, 4);
    EXPECT_EQ(window.lblImageCount->text(), QStringLiteral("Image Count: 3"));
    ASSERT_EQ(station_.dialogs.shown.size(), 1);
    EXPECT_EQ(station_.dialogs.shown[0].title, QStringLiteral("Feeder Empty"));
    EXPECT_TRUE(QDir(station_.Feeder()).isEmpty());
    EXPECT_EQ(station_.scanner.filesIn(QStringLiteral("tray")).size(), 3);
    EXPECT_EQ(station_.StationRow(), QStringLiteral("ONLINE/SCANNING"));

    window.close();
    EXPECT_EQ(station_.StationRow(), QStringLiteral("OFFLINE/IDLE"));
}

TEST_F(DiskImportRun, RetryAfterTheScannerIsConnectedCompletesTheStartUp) {
    ASSERT_TRUE(QDir(station_.Feeder()).removeRecursively());
    station_.dialogs.answers = {Dialogs::Answer::Retry};
    station_.dialogs.onShown = [this](const ShownBox&) { QDir().mkpath(station_.Feeder()); };
    station_.MakeWindow();
    station_.Start();
    EXPECT_EQ(station_.login.shown, 1);
    ASSERT_EQ(station_.dialogs.shown.size(), 1);
    EXPECT_EQ(station_.dialogs.shown[0].text,
              QStringLiteral("Scanner is not hooked up or power is off.  Connect and turn on the "
                             "scanner."));
}

}  // namespace
