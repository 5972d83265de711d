// Scanner runs: Start Scanner and Stop Scanner, and the endorser set up for each run.

#include <optional>

#include "audit/AuditLog.h"
#include "controls/ControlSequences.h"
#include "database/LHDataAbstraction.h"
#include "images/ImageNames.h"
#include "scanning/BatchCycle.h"
#include "scanning/BatchView.h"
#include "settings/StationSettings.h"
#include "settings/StationSettingsStore.h"
#include "shell/Dialogs.h"

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

void BatchCycle::StartScanner() {
    if (state_.ImageCounter >= LastImageSequence) {
        StopFullBatch();
        return;
    }
    if (settings_.BALLOTSIZE > LongestBallot) {
        dialogs_.MsgBox(QStringLiteral("Ballot size %1 places the endorser beyond its reach.  Set "
                                       "BALLOTSIZE in section [ElectionSettings] of %2 to a "
                                       "ballot length of at most %3 inches.")
                            .arg(settings_.BALLOTSIZE)
                            .arg(OpenStationSettingsStore()->fileName())
                            .arg(LongestBallot),
                        Dialogs::Buttons::OK, Dialogs::Icon::Exclamation,
                        QStringLiteral("Ballot Size"));
        return;
    }
    if (const std::optional<KScan::PageLengthCode> length = PageLength(settings_.BALLOTSIZE)) {
        KScan1.write(KScan::PageLength, *length);
    }

    const EndorserChoice choice = view_.Endorser();
    state_.EndorserOffset = qint32{settings_.BALLOTSIZE} * 200 - 200 - choice.position * 500;

    // The endorser's readiness is asked on every start, whatever the check box says.
    const bool endorserReady = std::get<bool>(KImgp1.read(KImgp::EndorserReady));
    const bool endorse =
        endorserReady && choice.activated && !state_.ScanningEnder && !state_.ScanningHeader;
    state_.Endorsing = endorse;
    SetEndorser(KImgp1, endorse ? std::optional<EndorserSetting>(
                                      {state_.EndorserOffset,
                                       SerialPrefix(settings_.SYSTEM_ID, state_.CurrentBatch),
                                       state_.ImageCounter})
                                : std::nullopt);

    ReportTask(QStringLiteral("SCANNING"));
    SetMode(StationMode::Scanning);
    audit_.Append(QStringLiteral("scanner-run-started"), {{"batch", state_.CurrentBatch},
                                                          {"next_image", state_.ImageCounter},
                                                          {"endorser", endorse}});
    StartFeeding(KScan1, KScan::Feeder);
}

void BatchCycle::StopScanner() {
    StopRun(QStringLiteral("operator"));
}

// The feeder stops first: recording the stop may wait on a box about the audit log, and
// pages would go on arriving meanwhile.
void BatchCycle::StopRun(const QString& cause) {
    KScan1.write(KScan::Action, KScan::StopFeeding);
    AuditRunStopped(cause);
    ReportTask(QStringLiteral("STANDING BY"));
    SetMode(StationMode::BatchOpen);
}

void BatchCycle::StopFullBatch() {
    if (mode_ == StationMode::Scanning) {
        StopRun(QStringLiteral("batch full"));
    }
    // Only the ender card's slot is left: no further run may start in this batch.
    SetMode(StationMode::BatchFull);
    dialogs_.MsgBox(QStringLiteral("Batch %1 is full.  Click 'End Batch' to scan its ender card, "
                                   "then scan the remaining ballots in a new batch.")
                        .arg(state_.CurrentBatch),
                    Dialogs::Buttons::OK, Dialogs::Icon::Exclamation, QStringLiteral("Batch Full"));
}

void BatchCycle::AuditRunStopped(const QString& cause) {
    audit_.Append(
        QStringLiteral("scanner-run-stopped"),
        {{"batch", state_.CurrentBatch}, {"images", state_.ImageCounter}, {"cause", cause}});
}

void BatchCycle::ReportTask(const QString& task) {
    UpdateStationStatus(settings_.DSNCONNECTSTR, settings_.SYSTEM_ID, login_.USER_ID,
                        QStringLiteral("ONLINE"), task);
}
