#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QFileInfo>
#include <csignal>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "ScannerRunFixture.h"
#include "images/ImageNames.h"

namespace {

QStringList Endorsed(qint32 offset, qint32 counter) {
    return {
        QStringLiteral("KImgp1 write 139 = True (Boolean)"),
        QStringLiteral("KImgp1 write 143 = %1 (32-bit)").arg(offset),
        QStringLiteral("KImgp1 write 142 = \"3007\" (text)"),
        QStringLiteral("KImgp1 write 149 = %1 (32-bit)").arg(counter),
        QStringLiteral("KImgp1 write 150 = 5 (16-bit)"),
        QStringLiteral("KImgp1 write 153 = 2 (32-bit)"),
        QStringLiteral("KImgp1 write 155 = 1 (16-bit)"),
        QStringLiteral("KImgp1 write 154 = 1 (16-bit)"),
    };
}

const QStringList kNotEndorsed = {QStringLiteral("KImgp1 write 139 = False (Boolean)")};
const QStringList kRunStart = {QStringLiteral("KScan1 write 12 = 1 (32-bit)"),
                               QStringLiteral("KScan1 write 60 = 2 (32-bit)"),
                               QStringLiteral("KScan1 write 3 = 4 (32-bit)")};

struct StartCase {
    const char* what;
    qint16 ballotSize;
    int option;  // 0 optFirst ... 3 OptFourth
    bool endorserReady;
    Qt::CheckState check;
    const char* cardScan;    // "", "header" or "ender"
    const char* pageLength;  // written to 47, or "" for none
    qint32 offset;
    bool endorses;
};

class StartScanner : public ScannerRunsTest, public testing::WithParamInterface<StartCase> {};

TEST_P(StartScanner, WritesInOrder) {
    const StartCase& c = GetParam();
    window().BALLOTSIZE = c.ballotSize;
    ChooseEndorserPosition(c.option);
    station_.fakes.KImgp1.setValue(KImgp::EndorserReady, c.endorserReady);
    window().chkActivateEndorser->setCheckState(c.check);
    Batch().ScanningHeader = QLatin1StringView(c.cardScan) == u"header";
    Batch().ScanningEnder = QLatin1StringView(c.cardScan) == u"ender";
    Batch().ImageCounter = 5;

    window().cmdStartScanner_Click();

    QStringList expected;
    if (*c.pageLength != '\0') {
        expected.append(QStringLiteral("KScan1 write 47 = %1 (32-bit)").arg(c.pageLength));
    }
    expected.append(QStringLiteral("KImgp1 read 138 -> %1 (Boolean)")
                        .arg(c.endorserReady ? QStringLiteral("True") : QStringLiteral("False")));
    expected += c.endorses ? Endorsed(c.offset, 5) : kNotEndorsed;
    expected += kRunStart;
    EXPECT_EQ(station_.fakes.calls(), expected);
    EXPECT_EQ(Batch().EndorserOffset, c.offset);
    EXPECT_FALSE(window().cmdStartScanner->isEnabled());
    EXPECT_TRUE(window().cmdStopScanner->isEnabled());
    EXPECT_EQ(station_.StationRow(), QStringLiteral("ONLINE/SCANNING"));
}

INSTANTIATE_TEST_SUITE_P(
    Runs, StartScanner,
    testing::Values(
        StartCase{"First11", 11, 0, true, Qt::Checked, "", "128", 1500, true},
        StartCase{"Second11", 11, 1, true, Qt::Checked, "", "128", 1000, true},
        StartCase{"Third11", 11, 2, true, Qt::Checked, "", "128", 500, true},
        StartCase{"Fourth11", 11, 3, true, Qt::Checked, "", "128", 0, true},
        StartCase{"Second14", 14, 1, true, Qt::Checked, "", "32768", 1600, true},
        StartCase{"Fourth14", 14, 3, true, Qt::Checked, "", "32768", 600, true},
        StartCase{"Length17", 17, 0, true, Qt::Checked, "", "4194304", 2700, true},
        StartCase{"Length18", 18, 0, true, Qt::Checked, "", "4194304", 2900, true},
        StartCase{"Length12WritesNoPageLength", 12, 0, true, Qt::Checked, "", "", 1700, true},
        StartCase{"Longest163", 163, 0, true, Qt::Checked, "", "", 31900, true},
        StartCase{"EndorserNotReady", 11, 0, false, Qt::Checked, "", "128", 1500, false},
        StartCase{"Unchecked", 11, 0, true, Qt::Unchecked, "", "128", 1500, false},
        StartCase{"Grayed", 11, 0, true, Qt::PartiallyChecked, "", "128", 1500, false},
        StartCase{"DuringHeader", 11, 0, true, Qt::Checked, "header", "128", 1500, false},
        StartCase{"DuringEnder", 11, 0, true, Qt::Checked, "ender", "128", 1500, false}),
    [](const testing::TestParamInfo<StartCase>& info) { return info.param.what; });

struct TooLongCase {
    qint16 ballotSize;
    int option;  // 0 optFirst ... 3 OptFourth
};

class BallotTooLong : public ScannerRunsTest, public testing::WithParamInterface<TooLongCase> {};

// Whatever the endorser position, even one whose print position would still fit.
TEST_P(BallotTooLong, IsRefusedBeforeAnythingIsWritten) {
    const TooLongCase& c = GetParam();
    window().BALLOTSIZE = c.ballotSize;
    ChooseEndorserPosition(c.option);
    window().cmdStartScanner_Click();
    EXPECT_TRUE(station_.fakes.calls().isEmpty());
    ASSERT_EQ(station_.dialogs.shown.size(), 1);
    const ShownBox& box = station_.dialogs.shown[0];
    EXPECT_EQ(box.title, QStringLiteral("Ballot Size"));
    EXPECT_EQ(box.icon, Dialogs::Icon::Exclamation);
    EXPECT_EQ(box.text, QStringLiteral("Ballot size %1 places the endorser beyond its reach.  Set "
                                       "BALLOTSIZE in section [ElectionSettings] of ")
                                .arg(c.ballotSize) +
                            station_.SettingsFile() +
                            QStringLiteral(" to a ballot length of at most 163 inches."));
    EXPECT_TRUE(window().cmdStartScanner->isEnabled());
    EXPECT_EQ(station_.StationRow(), QStringLiteral("ONLINE/STANDING BY"));
}

INSTANTIATE_TEST_SUITE_P(Lengths, BallotTooLong,
                         testing::Values(TooLongCase{164, 0}, TooLongCase{174, 3},
                                         TooLongCase{200, 1}, TooLongCase{255, 2}),
                         [](const testing::TestParamInfo<TooLongCase>& info) {
                             return std::to_string(info.param.ballotSize);
                         });

TEST_F(ScannerRunsTest, StopScannerStopsFeedingAndStandsBy) {
    window().cmdStartScanner->click();
    station_.fakes.log.clear();
    window().cmdStopScanner->click();
    EXPECT_EQ(station_.fakes.calls(), QStringList{QStringLiteral("KScan1 write 3 = 6 (32-bit)")});
    EXPECT_TRUE(window().cmdStartScanner->isEnabled());
    EXPECT_FALSE(window().cmdStopScanner->isEnabled());
    EXPECT_EQ(station_.StationRow(), QStringLiteral("ONLINE/STANDING BY"));
}

// An audit log that cannot grow: the box that tells it comes after the feeder has stopped, so
// that no page arrives while it is shown.
TEST_F(ScannerRunsTest, StopScannerWithAnUnwritableAuditLogStopsTheFeederFirst) {
    window().cmdStartScanner->click();
    station_.fakes.log.clear();
    QStringList callsWhenTold;
    rlimit unlimited{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &unlimited), 0);
    station_.dialogs.onShown = [&](const ShownBox&) {
        callsWhenTold = station_.fakes.calls();
        setrlimit(RLIMIT_FSIZE, &unlimited);
    };
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit full{rlim_t(QFileInfo(station_.AuditLogFile()).size()), unlimited.rlim_max};
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &full), 0);
    window().cmdStopScanner->click();
    setrlimit(RLIMIT_FSIZE, &unlimited);

    ASSERT_EQ(station_.dialogs.shown.size(), 1);
    EXPECT_EQ(station_.dialogs.shown[0].title, QStringLiteral("Audit Log"));
    EXPECT_EQ(callsWhenTold, QStringList{QStringLiteral("KScan1 write 3 = 6 (32-bit)")});
    EXPECT_EQ(station_.StationRow(), QStringLiteral("ONLINE/STANDING BY"));
}

TEST_F(ScannerRunsTest, EveryPageBecomesTheNextImage) {
    Run(FakeEvent::page() + FakeEvent::page() + FakeEvent::page() +
        QList{FakeEvent::failure(20025, QStringLiteral("Feeder empty"))});
    EXPECT_EQ(station_.fakes.KScan1.pagesWritten(), (QStringList{File(1), File(2), File(3)}));
    EXPECT_EQ(Batch().ImageCounter, 4);
    for (qint32 i = 1; i <= 3; ++i) {
        EXPECT_EQ(Batch().BatchImages[i].Serial, 300700000 + i);
    }
    EXPECT_EQ(Batch().BatchImages[4].Serial, 0);
    EXPECT_EQ(Batch().NextImageSerial, QStringLiteral("300700004"));
    EXPECT_EQ(Batch().NextImageFile, File(4));
    EXPECT_EQ(window().lblImageCount->text(), QStringLiteral("Image Count: 3"));
}

TEST_F(ScannerRunsTest, PageThatDoesNotCompleteAnImageKeepsTheFileName) {
    Run(FakeEvent::page({}, true) + FakeEvent::page() + QList{FakeEvent::failure(20025, {})});
    EXPECT_EQ(station_.fakes.KScan1.pagesWritten(), (QStringList{File(1), File(1)}));
    EXPECT_EQ(Batch().ImageCounter, 2);
    EXPECT_EQ(Batch().BatchImages[1].Serial, 300700001);
    // The second page finds OutputFile already naming the file.
    EXPECT_EQ(CallsAfterStart(),
              (QStringList{QStringLiteral("KScan1 read 96 -> \"\" (text)"),
                           QStringLiteral("KScan1 write 96 = \"%1\" (text)").arg(File(1)),
                           QStringLiteral("KScan1 read 97 -> True (Boolean)"),
                           QStringLiteral("KScan1 read 96 -> \"%1\" (text)").arg(File(1)),
                           QStringLiteral("KScan1 read 97 -> False (Boolean)"),
                           QStringLiteral("KScan1 write 86 = 0 (16-bit)")}));
}

struct Event10Case {
    qint16 batch;
    bool enderPageDone;
    bool resets;
};

class Event10 : public ScannerRunsTest, public testing::WithParamInterface<Event10Case> {};

TEST_P(Event10, ResetsTheErrorCodeWithoutAnOpenBatch) {
    Batch().CurrentBatch = GetParam().batch;
    Batch().EnderPageDone = GetParam().enderPageDone;
    window().KScan1_Event10();
    EXPECT_EQ(station_.fakes.calls(),
              GetParam().resets ? QStringList{QStringLiteral("KScan1 write 86 = 0 (16-bit)")}
                                : QStringList{});
}

INSTANTIATE_TEST_SUITE_P(States, Event10,
                         testing::Values(Event10Case{0, false, true}, Event10Case{7, true, true},
                                         Event10Case{7, false, false}));

TEST_F(ScannerRunsTest, PageDoneShowsTheImagesAfterTheHeaderCard) {
    Batch().ImageCounter = 13;
    window().KScan1_Event14();
    EXPECT_EQ(window().lblImageCount->text(), QStringLiteral("Image Count: 12"));

    Batch().ScanningHeader = true;
    Batch().ImageCounter = 20;
    window().KScan1_Event14();
    EXPECT_TRUE(Batch().HeaderPageDone);
    EXPECT_EQ(window().lblImageCount->text(), QStringLiteral("Image Count: 12"));

    Batch().ScanningHeader = false;
    Batch().ScanningEnder = true;
    window().KScan1_Event14();
    EXPECT_TRUE(Batch().EnderPageDone);
    EXPECT_EQ(window().lblImageCount->text(), QStringLiteral("Image Count: 19"));

    Batch().ScanningEnder = false;
    Batch().ImageCounter = 0;
    window().KScan1_Event14();
    EXPECT_EQ(window().lblImageCount->text(), QStringLiteral("Image Count: 19"));
}

TEST_F(ScannerRunsTest, FullBatchStopsBeforeTheEnderCardsSlot) {
    Batch().ImageCounter = LastImageSequence - 1;
    Batch().NextImageSerial = ImageSerial(3, 7, LastImageSequence - 1);
    Batch().NextImageFile = File(LastImageSequence - 1);
    Run(FakeEvent::page() + FakeEvent::page() + FakeEvent::page());
    EXPECT_EQ(station_.fakes.KScan1.pagesWritten(), QStringList{File(99998)});
    EXPECT_EQ(Batch().BatchImages[99998].Serial, 300799998);
    EXPECT_EQ(Batch().ImageCounter, LastImageSequence);
    EXPECT_EQ(Batch().NextImageFile, File(99999));
    EXPECT_TRUE(station_.fakes.calls().contains(QStringLiteral("KScan1 write 3 = 6 (32-bit)")));
    const ShownBox full{QStringLiteral("Batch 7 is full.  Click 'End Batch' to scan its ender "
                                       "card, then scan the remaining ballots in a new batch."),
                        QStringLiteral("Batch Full"), Dialogs::Buttons::OK,
                        Dialogs::Icon::Exclamation};
    EXPECT_EQ(station_.dialogs.shown, QList<ShownBox>{full});
    EXPECT_FALSE(window().cmdStartScanner->isEnabled());
    EXPECT_FALSE(window().cmdStopScanner->isEnabled());
    EXPECT_EQ(station_.StationRow(), QStringLiteral("ONLINE/STANDING BY"));

    station_.fakes.log.clear();
    window().cmdStartScanner_Click();
    EXPECT_TRUE(station_.fakes.calls().isEmpty());
    EXPECT_EQ(station_.dialogs.shown, (QList<ShownBox>{full, full}));
}

TEST(ImageNames, SerialsFoldersAndStationNumbers) {
    EXPECT_EQ(ImageSerial(1, 5, 12), QStringLiteral("100500012"));
    EXPECT_EQ(ImageSerial(20, 999, 99999), QStringLiteral("2099999999"));
    EXPECT_EQ(ImageSerial(3, 1234, 7), QStringLiteral("3123400007"));
    EXPECT_EQ(SerialPrefix(3, 7), QStringLiteral("3007"));
    EXPECT_EQ(SerialPrefix(3, -1), QStringLiteral("3-001"));
    EXPECT_EQ(ImageFile(QStringLiteral("/in/3007/"), QStringLiteral("300700001")),
              QStringLiteral("/in/3007/300700001.tif"));
    EXPECT_EQ(BatchFolderName(QStringLiteral("/in/"), 3, 7), QStringLiteral("/in/3007/"));
    EXPECT_EQ(LargestStationNumber, 20);
    EXPECT_FALSE(SerialsFit(0));
    EXPECT_TRUE(SerialsFit(1));
    EXPECT_TRUE(SerialsFit(20));
    EXPECT_FALSE(SerialsFit(21));
    EXPECT_FALSE(SerialsFit(-3));
}

}  // namespace
