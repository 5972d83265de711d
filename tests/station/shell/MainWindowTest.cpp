#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <array>

#include "support/TestStation.h"

namespace {

// Every visible control of the form: name, caption, container, position in pixels (twips / 15).
struct Control {
    const char* name;
    const char* caption;
    const char* container;
    QRect at;
};

const Control kControls[] = {
    {"frmEndorsePos", "Endorser Position", "VrelScan", {8, 8, 129, 137}},
    {"chkActivateEndorser", "Activate Endorser", "frmEndorsePos", {8, 16, 105, 17}},
    {"optFirst", "", "frmEndorsePos", {8, 40, 17, 17}},
    {"optSecond", "", "frmEndorsePos", {8, 64, 17, 17}},
    {"optThird", "", "frmEndorsePos", {8, 88, 17, 17}},
    {"OptFourth", "", "frmEndorsePos", {8, 112, 17, 17}},
    {"Label1", "First Scan", "frmEndorsePos", {24, 40, 97, 17}},
    {"Label2", "Second Scan", "frmEndorsePos", {24, 64, 97, 17}},
    {"Label3", "Third Scan", "frmEndorsePos", {24, 88, 97, 17}},
    {"Label4", "Fourth Scan", "frmEndorsePos", {24, 112, 97, 17}},
    {"frmBatchControl", "Batch Control", "VrelScan", {152, 8, 337, 137}},
    {"cmdStartBatch", "Start Batch", "frmBatchControl", {16, 32, 73, 33}},
    {"cmdEndBatch", "End Batch", "frmBatchControl", {16, 88, 73, 33}},
    {"lblBatch", "Current Batch:", "frmBatchControl", {96, 32, 145, 17}},
    {"frmScannerControl", "Scanner Control", "VrelScan", {504, 8, 321, 137}},
    {"cmdStartScanner", "Start Scanner", "frmScannerControl", {24, 32, 89, 33}},
    {"cmdStopScanner", "Stop Scanner", "frmScannerControl", {24, 88, 89, 33}},
    {"lblImageCount", "Image Count:", "frmScannerControl", {128, 32, 161, 25}},
    {"lblDB", "Write to Database", "VrelScan", {56, 152, 89, 17}},
    {"pbarDB", "", "VrelScan", {152, 152, 673, 17}},
};

QString Caption(const QWidget& control) {
    if (auto* box = qobject_cast<const QGroupBox*>(&control)) {
        return box->title();
    }
    if (auto* button = qobject_cast<const QAbstractButton*>(&control)) {
        return button->text();
    }
    if (auto* label = qobject_cast<const QLabel*>(&control)) {
        return label->text();
    }
    return {};
}

class MainWindowTest : public testing::Test {
  protected:
    TestStation station_;
    VrelScan& window_ = station_.MakeWindow();
};

TEST_F(MainWindowTest, WindowCaptionAndClientArea) {
    EXPECT_EQ(window_.objectName(), QStringLiteral("VrelScan"));
    EXPECT_EQ(window_.windowTitle(), QStringLiteral("Kestrana Lindhollow Scanner Control"));
    EXPECT_EQ(window_.size(), QSize(839, 173));
}

TEST_F(MainWindowTest, EveryControlWithCaptionContainerAndPosition) {
    for (const Control& expected : kControls) {
        SCOPED_TRACE(expected.name);
        const QList<QWidget*> found =
            window_.findChildren<QWidget*>(QLatin1StringView(expected.name));
        ASSERT_EQ(found.size(), 1);
        EXPECT_EQ(Caption(*found[0]), QString::fromUtf8(expected.caption));
        EXPECT_EQ(found[0]->parentWidget()->objectName(), QLatin1StringView(expected.container));
        EXPECT_EQ(found[0]->geometry(), expected.at);
    }
}

TEST_F(MainWindowTest, InitialStates) {
    EXPECT_EQ(window_.chkActivateEndorser->checkState(), Qt::Checked);
    EXPECT_TRUE(window_.optFirst->isChecked());
    for (QRadioButton* other : {window_.optSecond, window_.optThird, window_.OptFourth}) {
        EXPECT_FALSE(other->isChecked());
    }
    // One group: choosing another option clears the first.
    window_.OptFourth->setChecked(true);
    EXPECT_FALSE(window_.optFirst->isChecked());
    EXPECT_EQ(window_.pbarDB->value(), 0);
    EXPECT_EQ(window_.KScan1.objectName(), QStringLiteral("KScan1"));
    EXPECT_EQ(window_.KImgp1.objectName(), QStringLiteral("KImgp1"));
}

TEST_F(MainWindowTest, PropertiesStartEmptyAndAreReachableByName) {
    EXPECT_EQ(window_.property("LOGIN_SUCCEEDED"), QVariant(false));
    EXPECT_EQ(window_.property("USER_ID"), QVariant(QString()));
    EXPECT_EQ(window_.property("PRIVILEGE_LEVEL"), QVariant::fromValue<qint16>(0));
    EXPECT_EQ(window_.property("SYSTEM_ID"), QVariant::fromValue<qint16>(0));
    EXPECT_EQ(window_.property("ELECTION_TYPE"), QVariant::fromValue<quint8>(0));
    EXPECT_TRUE(window_.setProperty("USER_ID", QStringLiteral("jsmith")));
    EXPECT_EQ(window_.Login.USER_ID, QStringLiteral("jsmith"));
    EXPECT_TRUE(window_.setProperty("PRIVILEGE_LEVEL", QVariant::fromValue<qint16>(-3)));
    EXPECT_EQ(window_.Login.PRIVILEGE_LEVEL, -3);
    EXPECT_TRUE(window_.setProperty("BALLOTSIZE", QVariant::fromValue<qint16>(14)));
    EXPECT_EQ(window_.Settings.BALLOTSIZE, 14);
    EXPECT_EQ(window_.Cycle().State().CurrentBatch, 0);
    EXPECT_EQ(window_.Cycle().State().ImageCounter, 0);
}

// Start Batch, End Batch, Start Scanner, Stop Scanner.
struct ModeCase {
    StationMode mode;
    std::array<bool, 4> enabled;
};

class ButtonsOfTheMode : public MainWindowTest, public testing::WithParamInterface<ModeCase> {};

TEST_P(ButtonsOfTheMode, AreEnabledAndNoOthers) {
    window_.Cycle().SetMode(GetParam().mode);
    const std::array<QPushButton*, 4> buttons = {window_.cmdStartBatch, window_.cmdEndBatch,
                                                 window_.cmdStartScanner, window_.cmdStopScanner};
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        EXPECT_EQ(buttons[i]->isEnabled(), GetParam().enabled[i]) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Modes, ButtonsOfTheMode,
    testing::Values(ModeCase{StationMode::NoBatch, {true, false, false, false}},
                    ModeCase{StationMode::BatchOpen, {false, true, true, false}},
                    ModeCase{StationMode::BatchFull, {false, true, false, false}},
                    ModeCase{StationMode::Scanning, {false, true, false, true}},
                    ModeCase{StationMode::CardScan, {false, false, false, false}}));

}  // namespace
