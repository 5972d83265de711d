// Scanner runs: Start Scanner and Stop Scanner, and the endorser set up for each run.

#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>
#include <limits>
#include <optional>

#include "controls/KImgp.h"
#include "controls/KScan.h"
#include "database/LHDataAbstraction.h"
#include "scanning/ImageNames.h"
#include "shell/Dialogs.h"
#include "shell/StationSettingsStore.h"
#include "shell/VrelScan.h"

namespace {

// Page length property values by ballot length in inches; other lengths keep what was written.
std::optional<qint32> PageLength(qint16 ballotSize) {
    switch (ballotSize) {
        case 11:
            return 128;
        case 14:
            return 32768;
        case 17:
        case 18:
            return 4194304;
        default:
            return std::nullopt;
    }
}

// The endorser counts on a 16-bit print position; a longer ballot would place it out of reach.
bool FitsEndorser(qint32 offset) {
    return offset >= std::numeric_limits<qint16>::min() &&
           offset <= std::numeric_limits<qint16>::max();
}

}  // namespace

void VrelScan::cmdStartScanner_Click() {
    if (ImageCounter >= LastImageSequence) {
        StopFullBatch();
        return;
    }
    if (const std::optional<qint32> length = PageLength(BALLOTSIZE)) {
        KScan1.write(47, *length);
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
    if (!FitsEndorser(EndorserOffset)) {
        dialogs_.MsgBox(QStringLiteral("Ballot size %1 places the endorser beyond its reach.  Set "
                                       "BALLOTSIZE in section [ElectionSettings] of %2 to a "
                                       "ballot length of at most 163 inches.")
                            .arg(BALLOTSIZE)
                            .arg(OpenStationSettingsStore()->fileName()),
                        Dialogs::Buttons::OK, Dialogs::Icon::Exclamation,
                        QStringLiteral("Ballot Size"));
        return;
    }

    // The endorser's readiness is asked on every start, whatever the check box says.
    const bool endorserReady = std::get<bool>(KImgp1.read(138));
    const bool endorse = endorserReady && chkActivateEndorser->checkState() == Qt::Checked &&
                         !ScanningEnder && !ScanningHeader;
    if (endorse) {
        KImgp1.write(139, true);
        KImgp1.write(143, EndorserOffset);
        KImgp1.write(142, SerialPrefix(SYSTEM_ID, CurrentBatch));
        KImgp1.write(149, ImageCounter);
        KImgp1.write(150, qint16(5));
        KImgp1.write(153, qint32(2));
        KImgp1.write(155, qint16(1));
        KImgp1.write(154, qint16(1));
    } else {
        KImgp1.write(139, false);
    }

    UpdateStationStatus(DSNCONNECTSTR, SYSTEM_ID, USER_ID, QStringLiteral("ONLINE"),
                        QStringLiteral("SCANNING"));
    cmdStartScanner->setEnabled(false);
    cmdStopScanner->setEnabled(true);

    KScan1.write(KScan::DeviceMethod, qint32(1));
    KScan1.write(KScan::IOWriteMode, qint32(2));
    KScan1.write(KScan::Action, qint32(4));
}

void VrelScan::cmdStopScanner_Click() {
    KScan1.write(KScan::Action, qint32(6));
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
