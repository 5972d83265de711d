// The station on a production scanner through SANE: our own backend emulates one with an
// imprinter and fault sensors.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFile>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <cstdlib>

#include "scanner/TiffPages.h"
#include "scanning/ImageNames.h"
#include "support/DotText.h"
#include "support/LindhollowScanner.h"
#include "support/MadeSheet.h"
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
    // A sheet made by the ballot-reading library's image tool into the feeder, after those there.
    void Feed(const QStringList& sheet) {
        const QString name = QStringLiteral("%1.tif").arg(++fed_, 4, 10, QChar(u'0'));
        ASSERT_TRUE(QFile::copy(MadeSheet(QStringLiteral(MAKE_SHEET_TOOL), sheet),
                                QDir(device_.feeder()).filePath(name)));
    }
    QString File(qint32 sequence) {
        return ImageFile(station_.Batch().BatchFolder, ImageSerial(3, 7, sequence));
    }

    TestStation station_{QStringLiteral("SQLite"), TestStation::Scanner::DiskImport};
    LindhollowDevice device_{QDir(station_.home.path())};
    VrelScan* window_ = nullptr;
    int fed_ = 0;
};

// A batch on 14-inch ballots, endorser at the second position (2800 - 200 - 1000 = 1600 in
// 1/200 inch): the header card, three ballots through the duplex feeder, the ender card. The
// scanner prints each ballot's image serial on its front, and nothing on the cards.
TEST_F(SaneRun, ABatchOfBallotsCarriesTheImageNumbersPrintedByTheScanner) {
    ASSERT_TRUE(setenv("LINDHOLLOW_LHDLL", LHDLL_LIBRARY, 1) == 0);
    station_.SetSettings({{"BALLOTSIZE", "14"}});
    window_ = &station_.Start();
    window_->optSecond->setChecked(true);
    Feed({"header", "--type", "-6", "--batch", "7"});
    window_->cmdStartBatch->click();
    ASSERT_EQ(station_.Batch().CurrentBatch, 7);
    for (int i = 0; i < 3; ++i)
        Feed({"ballot", "--marks", "1,5"});
    Run();
    Feed({"ender"});
    station_.dialogs.answers = {Dialogs::Answer::OK};
    window_->cmdEndBatch->click();

    EXPECT_EQ(station_.BatchRow(7), QStringLiteral("5 3 closed"));
    for (qint32 i = 0; i <= 4; ++i) {
        const QString file = ImageFile(station_.BatchFolder(7), ImageSerial(3, 7, i));
        const std::vector<Page> sides = readTiffPages(QFile::encodeName(file).toStdString());
        const bool ballot = i >= 1 && i <= 3;
        ASSERT_EQ(sides.size(), ballot ? 2u : 1u) << i;
        EXPECT_EQ(sides[0].height, (ballot ? 14 : 11) * 200) << i;
        EXPECT_EQ(Imprint(sides[0], 1600), ballot ? ImageSerial(3, 7, i) : QString(9, u' ')) << i;
    }
    const QStringList card = {"source=ADF Front", "page-height=279.4", "endorser=no"};
    const QStringList run = {"source=ADF Duplex", "page-height=355.6",        "endorser=yes",
                             "endorser-bits=24",  "endorser-val=1",           "endorser-step=1",
                             "endorser-y=203.2",  "endorser-string=3007%05ud"};
    EXPECT_EQ(device_.optionsSet(), card + run + card);
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
        FaultCase{
            "jam",
            {{QStringLiteral("Paper Jam Detected.  Remove jam and re-start scanner."),
              QStringLiteral("Paper Jam"), Dialogs::Buttons::OK, Dialogs::Icon::Exclamation}}},
        FaultCase{
            "double-feed",
            {{QStringLiteral("Multi-Feed Detected!\r\nClear partially fed ballots from "
                             "feeder path.\r\nFan ballots and replace in feeder."),
              QStringLiteral("Multi-feed Error"), Dialogs::Buttons::OK, Dialogs::Icon::Exclamation},
             {QStringLiteral("Click 'Start Scanner' to continue."),
              QStringLiteral("Multi-feed Error"), Dialogs::Buttons::OK, Dialogs::Icon::None}}},
        FaultCase{"cover-open", {ScannerErrorBox("Scanner cover is open")}},
        FaultCase{"gone", {ScannerErrorBox("Error during device I/O")}}),
    [](const testing::TestParamInfo<FaultCase>& info) {
        return QString::fromLatin1(info.param.fault).remove(u'-').toStdString();
    });

}  // namespace
