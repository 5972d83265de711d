// The station on a production scanner through SANE: our own backend emulates one with an
// imprinter and fault sensors.

#include <gtest/gtest.h>
#include <sys/mount.h>

#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QStorageInfo>
#include <QTest>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "images/ImageNames.h"
#include "scanner/TiffPages.h"
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
    void SetUp() override { WriteScannerIni("ADF Duplex"); }
    void WriteScannerIni(const char* feederSource) {
        QFile ini(station_.scanner.ini);
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ini.write(QStringLiteral("[KSCAN]\nSource = sane\nDevice = %1\nCardSource = ADF Front\n"
                                 "FeederSource = %2\n[KImgp]\nEndorser = yes\n")
                      .arg(LindhollowDevice::name(), QLatin1String(feederSource))
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
    // 14-inch ballots, endorser at the second position: the header card of batch 7 opens it.
    void StartBatch7On14InchBallots() {
        ASSERT_TRUE(setenv("LINDHOLLOW_LHDLL", LHDLL_LIBRARY, 1) == 0);
        station_.SetSettings({{"BALLOTSIZE", "14"}});
        window_ = &station_.Start();
        window_->optSecond->setChecked(true);
        Feed({"header", "--type", "-6", "--batch", "7"});
        window_->cmdStartBatch->click();
        ASSERT_EQ(station_.Batch().CurrentBatch, 7);
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
    ASSERT_NO_FATAL_FAILURE(StartBatch7On14InchBallots());
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

// A ballot's image that cannot be written (the in-tray, a small tmpfs, is full) after its sheet
// went through the imprinter into the output tray: the operator is told to feed the sheet
// imprinted with its serial again first. Fed so, before the ballot behind it, each image carries
// its own serial: the sheet fed again the one it carried, and no two images the same.
TEST_F(SaneRun, ASheetWhoseImageWasNotWrittenIsFedAgainFirstUnderItsImprint) {
    const QByteArray intray = QFile::encodeName(station_.Intray());
    if (::mount("tmpfs", intray.constData(), "tmpfs", 0, "size=2m") != 0) {
        GTEST_SKIP() << "cannot mount a tmpfs as the in-tray here: " << std::strerror(errno);
    }
    const auto unmount = qScopeGuard([&] { ::umount2(intray.constData(), MNT_DETACH); });
    ASSERT_NO_FATAL_FAILURE(WriteScannerIni("ADF Front"));
    ASSERT_NO_FATAL_FAILURE(StartBatch7On14InchBallots());
    Feed({"ballot", "--marks", "1,5"});
    Run();
    // Room for half an image.
    QFile filler(station_.Intray() + QStringLiteral("filler"));
    ASSERT_TRUE(filler.open(QIODevice::WriteOnly));
    const qint64 bytes =
        QStorageInfo(station_.Intray()).bytesAvailable() - QFileInfo(File(1)).size() / 2;
    ASSERT_EQ(filler.write(QByteArray(bytes, '\0')), bytes);
    filler.close();
    Feed({"ballot", "--marks", "2,6"});
    station_.dialogs.shown.clear();
    Run();

    ASSERT_EQ(station_.dialogs.shown.size(), 2);
    EXPECT_TRUE(station_.dialogs.shown[0].text.startsWith(u"Scanner Error 20100\r\n"));
    // The second box names the sheet by its imprint, and what another sheet fed first carries.
    const QString serial = ImageSerial(3, 7, 2);
    EXPECT_EQ(station_.dialogs.shown[1].title, "Feed Sheet Again");
    EXPECT_TRUE(station_.dialogs.shown[1].text.contains(
        QStringLiteral("the sheet imprinted %1 was not stored").arg(serial)));
    ASSERT_TRUE(filler.remove());
    const QStringList putOut = TestStation::FilesIn(device_.tray());
    // The header card, the stored ballot and the failed one.
    ASSERT_EQ(putOut.size(), 3);
    ASSERT_TRUE(QFile::rename(QDir(device_.tray()).filePath(putOut.back()),
                              QDir(device_.feeder()).filePath(QStringLiteral("0000.tif"))));
    Feed({"ballot", "--marks", "3,7"});
    Run();

    QStringList imprints;
    for (qint32 i = 1; i <= 3; ++i) {
        const std::vector<Page> sides = readTiffPages(QFile::encodeName(File(i)).toStdString());
        ASSERT_FALSE(sides.empty()) << i;
        imprints << Imprint(sides[0], 1600);
    }
    EXPECT_EQ(imprints, (QStringList{ImageSerial(3, 7, 1), serial, ImageSerial(3, 7, 3)}));
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
