// Scanner runs: Start Scanner and Stop Scanner, and the endorser set up for each run.

#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>
#include <optional>

#include "controls/ControlSequences.h"
#include "database/LHDataAbstraction.h"
#include "scanning/ImageNames.h"
#include "shell/Dialogs.h"
#include "shell/StationSettingsStore.h"
#include "shell/VrelScan.h"

namespace {

// Page lengths by ballot length in inches; other lengths keep what was written.
std::optional<KScan::PageLengthCode> PageLength(qint16 ballotSize) {
    switch (ballotSize) {
        case 11:
            return KScan::Length11Inches;
        case 14:
            return KScan::Length14Inches;
        case 17:
        case 18:
            return KScan::Length18Inches;
        default:
            return std::nullopt;
    }
}

// The endorser counts on a 16-bit print position. Up to this length its print position fits,
// whichever endorser position is chosen.
constexpr qint16 LongestBallot = 163;

}  // namespace

void VrelScan::cmdStartScanner_Click() {
    if (ImageCounter >= LastImageSequence) {
        StopFullBatch();
        return;
    }
    if (BALLOTSIZE > LongestBallot) {
        dialogs_.MsgBox(QStringLiteral("Ballot size %1 places the endorser beyond its reach.  Set "
                                       "BALLOTSIZE in section [ElectionSettings] of %2 to a "
                                       "ballot length of at most %3 inches.")
                            .arg(BALLOTSIZE)
                            .arg(OpenStationSettingsStore()->fileName())
                            .arg(LongestBallot),
                        Dialogs::Buttons::OK, Dialogs::Icon::Exclamation,
                        QStringLiteral("Ballot Size"));
        return;
    }
    if (const std::optional<KScan::PageLengthCode> length = PageLength(BALLOTSIZE)) {
        KScan1.write(KScan::PageLength, *length);
    }

    qint32 position = 0;
    if (optFirst->isChecked()) {
        position = 1;
    } else if (optSecond->isChecked()) {
        position = 2;
    } else if (optThird->isChecked()) {
        position = 3;
    } else if (OptFourth->isChecked()) {
        position = 4;
    }
    EndorserOffset = qint32{BALLOTSIZE} * 200 - 200 - position * 500;

    // The endorser's readiness is asked on every start, whatever the check box says.
    const bool endorserReady = std::get<bool>(KImgp1.read(KImgp::EndorserReady));
    const bool endorse = endorserReady && chkActivateEndorser->checkState() == Qt::Checked &&
                         !ScanningEnder && !ScanningHeader;
    SetEndorser(KImgp1,
                endorse ? std::optional<EndorserSetting>(
                              {EndorserOffset, SerialPrefix(SYSTEM_ID, CurrentBatch), ImageCounter})
                        : std::nullopt);

    UpdateStationStatus(DSNCONNECTSTR, SYSTEM_ID, USER_ID, QStringLiteral("ONLINE"),
                        QStringLiteral("SCANNING"));
    cmdStartScanner->setEnabled(false);
    cmdStopScanner->setEnabled(true);

    StartFeeding(KScan1, KScan::Feeder);
}

void VrelScan::cmdStopScanner_Click() {
    KScan1.write(KScan::Action, KScan::StopFeeding);
    UpdateStationStatus(DSNCONNECTSTR, SYSTEM_ID, USER_ID, QStringLiteral("ONLINE"),
                        QStringLiteral("STANDING BY"));
    cmdStartScanner->setEnabled(true);
    cmdStopScanner->setEnabled(false);
}

void VrelScan::StopFullBatch() {
    if (cmdStopScanner->isEnabled()) {
        cmdStopScanner_Click();
    }
    // Only the ender card's slot is left: no further run may start in this batch.
    cmdStartScanner->setEnabled(false);
    dialogs_.MsgBox(QStringLiteral("Batch %1 is full.  Click 'End Batch' to scan its ender card, "
                                   "then scan the remaining ballots in a new batch.")
                        .arg(CurrentBatch),
                    Dialogs::Buttons::OK, Dialogs::Icon::Exclamation, QStringLiteral("Batch Full"));
}
