// The station on a production scanner through SANE: our own backend emulates one with an
// imprinter and fault sensors.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFile>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "scanner/TiffPages.h"
#include "scanning/ImageNames.h"
#include "support/DotText.h"
#include "support/LindhollowScanner.h"
#include "support/QtPrinting.h"
#include "support/TestStation.h"

namespace {

constexpr double PixelsPerMm = 200 / 25.4;

// What the imprinter printed on the image's front at `top` pixels.
QString Imprint(const Page& front, int top) {
    return readDotText(front, 12 * PixelsPerMm, top, 0.254 * PixelsPerMm, 9);
}

class SaneRun : public testing::Test {
  protected:
    void SetUp() override {
        QFile ini(station_.scanner.ini);
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ini.write(QStringLiteral("[KSCAN]\nSource = sane\nDevice = %1\nCardSource = ADF Front\n"
                                 "FeederSource = ADF Duplex\n[KImgp]\nEndorser = yes\n")
                      .arg(LindhollowDevice::name())
                      .toUtf8());
    }

    // Start Scanner, and the run to its end.
    void Run() {
        window_->cmdStartScanner->click();
        ASSERT_TRUE(
            QTest::qWaitFor([this] { return window_->cmdStartScanner->isEnabled(); }, 60000));
    }
    QString File(qint32 sequence) {
        return ImageFile(station_.Batch().BatchFolder, ImageSerial(3, 7, sequence));
    }

    TestStation station_{QStringLiteral("SQLite"), TestStation::Scanner::DiskImport};
    LindhollowDevice device_{QDir(station_.home.path())};
    VrelScan* window_ = nullptr;
};

// 14-inch ballots, endorser at the second position: 2800 - 200 - 1000 = 1600 (1/200 inch).
TEST_F(SaneRun, DuplexBallotsCarryTheirImageNumbersPrintedByTheScanner) {
    station_.SetSettings({{"BALLOTSIZE", "14"}});
    for (const char* sheet : {"a.tif", "b.tif", "c.tif"})
        device_.putSheet(QLatin1String(sheet), 2);
    window_ = &station_.Start();
    station_.OpenBatch(7);
    window_->optSecond->setChecked(true);
    Run();

    for (qint32 i = 1; i <= 3; ++i) {
        const std::vector<Page> sides = readTiffPages(QFile::encodeName(File(i)).toStdString());
        ASSERT_EQ(sides.size(), 2u) << i;
        EXPECT_EQ(sides[0].height, 14 * 200) << i;
        EXPECT_EQ(Imprint(sides[0], 1600), ImageSerial(3, 7, i)) << i;
    }
    EXPECT_EQ(station_.Batch().ImageCounter, 4);
    EXPECT_EQ(device_.optionsSet(),
              (QStringList{"source=ADF Duplex", "page-height=355.6", "endorser=yes",
                           "endorser-bits=24", "endorser-val=1", "endorser-step=1",
                           "endorser-y=203.2", "endorser-string=3007%05ud"}));
    EXPECT_EQ(station_.dialogs.shown.size(), 1);  // Feeder Empty
}

struct FaultCase {
    const char* fault;
    QList<ShownBox> boxes;
};

class SaneFault : public SaneRun, public testing::WithParamInterface<FaultCase> {};

// A good sheet, then one that fails: the first is the batch's image 1, the failed sheet stays in
// the feeder for the operator, and the run ends with the fault's box.
TEST_P(SaneFault, EndsTheRunWithItsBox) {
    device_.putSheet(QStringLiteral("a.tif"));
    device_.putSheet(QStringLiteral("b.tif"), 1, QLatin1String(GetParam().fault));
    window_ = &station_.Start();
    station_.OpenBatch(7);
    window_->chkActivateEndorser->setChecked(false);
    Run();

    EXPECT_EQ(station_.dialogs.shown, GetParam().boxes);
    EXPECT_TRUE(QFile::exists(File(1)));
    EXPECT_FALSE(QFile::exists(File(2)));
    EXPECT_EQ(station_.Batch().ImageCounter, 2);
    EXPECT_EQ(TestStation::FilesIn(device_.feeder()), QStringList{"b.tif"});
    EXPECT_EQ(device_.optionsSet(),
              (QStringList{"source=ADF Duplex", "page-height=279.4", "endorser=no"}));
}

ShownBox ScannerErrorBox(const char* description) {
    return {QStringLiteral("Scanner Error 20100\r\n") + QLatin1String(description),
            QStringLiteral("Scanner Error"), Dialogs::Buttons::OK, Dialogs::Icon::Critical};
}

INSTANTIATE_TEST_SUITE_P(
    Faults, SaneFault,
    testing::Values(
        FaultCase{"jam",
                  {{QStringLiteral("Paper Jam Detected.  Remove jam and re-start scanner."),
                    QStringLiteral("Paper Jam"), Dialogs::Buttons::OK,
                    Dialogs::Icon::Exclamation}}},
        FaultCase{"double-feed",
                  {{QStringLiteral("Multi-Feed Detected!\r\nClear partially fed ballots from "
                                   "feeder path.\r\nFan ballots and replace in feeder."),
                    QStringLiteral("Multi-feed Error"), Dialogs::Buttons::OK,
                    Dialogs::Icon::Exclamation},
                   {QStringLiteral("Click 'Start Scanner' to continue."),
                    QStringLiteral("Multi-feed Error"), Dialogs::Buttons::OK,
                    Dialogs::Icon::None}}},
        FaultCase{"cover-open", {ScannerErrorBox("Scanner cover is open")}},
        FaultCase{"gone", {ScannerErrorBox("Error during device I/O")}}),
    [](const testing::TestParamInfo<FaultCase>& info) {
        return QString::fromLatin1(info.param.fault).remove(u'-').toStdString();
    });

}  // namespace
