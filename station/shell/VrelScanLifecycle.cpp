// Start-up and shut-down of the station: the load, unload and terminate steps.

#include <QCheckBox>
#include <QCloseEvent>
#include <exception>
#include <functional>

#include "LindhollowVersion.h"
#include "audit/AuditAnchoring.h"
#include "audit/AuditLog.h"
#include "controls/ControlError.h"
#include "controls/ControlSequences.h"
#include "controls/KImgp.h"
#include "controls/KScan.h"
#include "database/CentreNeeds.h"
#include "database/Connection.h"
#include "database/LHDataAbstraction.h"
#include "images/ImageNames.h"
#include "scanning/AuditedErrors.h"
#include "settings/LoadStationSettings.h"
#include "settings/StationSettingsStore.h"
#include "shell/Dialogs.h"
#include "shell/VrelScan.h"
#include "shell/frmLogin.h"

namespace {

// Steps of the unload step carry on after a failing one; the failure goes to standard error
// and the audit log.
void Attempt(AuditLog& audit, const char* step, const std::function<void()>& action) {
    try {
        action();
    } catch (const std::exception& error) {
        qWarning("VrelScanning: unload step, %s: %s", step, error.what());
        AuditUnexpectedError(audit, error, QStringLiteral("unload step, ") + QLatin1String(step));
    }
}

QString StationNumberRefusal(qint16 systemId) {
    const QString file = OpenStationSettingsStore()->fileName();
    const QString setIt = QStringLiteral(
                              "Set SYSTEM_ID in section [SystemSettings] of %1 to a "
                              "station number from 1 to %2.")
                              .arg(file)
                              .arg(LargestStationNumber);
    if (systemId == 0) {
        return QStringLiteral("No station number is configured.  ") + setIt +
               QStringLiteral(
                   "  A value that cannot be read stops the reading of every setting "
                   "after it.");
    }
    return QStringLiteral("Station number %1 cannot be used: its image serials do not fit.  ")
               .arg(systemId) +
           setIt;
}

}  // namespace

void VrelScan::Form_Load() {
    for (;;) {
        int errorNumber = 0;
        try {
            LoadSteps();
            return;
        } catch (const ControlError& error) {
            errorNumber = error.number();
            AuditScannerError(audit_, errorNumber, error.description(), QStringLiteral("start-up"));
        } catch (const std::exception& error) {
            AuditUnexpectedError(audit_, error, QStringLiteral("start-up"));
            return;  // the window stays as far as the steps got
        }
        if (errorNumber == ScannerError::NotConnected) {
            const Dialogs::Answer answer = dialogs_.MsgBox(
                QStringLiteral("Scanner is not hooked up or power is off.  Connect and turn on "
                               "the scanner."),
                Dialogs::Buttons::RetryCancel, Dialogs::Icon::None,
                QStringLiteral("Scanner Failure"));
            if (answer == Dialogs::Answer::Retry) {
                continue;
            }
            audit_.Append(QStringLiteral("station-start-refused"),
                          {{"reason", "scanner not connected"}});
            End();
        } else if (errorNumber == ScannerError::Reserved) {
            audit_.Append(QStringLiteral("station-start-refused"),
                          {{"reason", "scanner reserved by another program"}});
            dialogs_.MsgBox(QStringLiteral("Scanner is already reserved by another program.  "
                                           "Restart application when scanner is available."),
                            Dialogs::Buttons::OK, Dialogs::Icon::None,
                            QStringLiteral("Scanner Already Reserved"));
            End();
        }
        return;
    }
}

void VrelScan::LoadSteps() {
    const std::optional<QString> stoppedAt = LoadStationSettings(Settings);
    audit_.SetStation(SYSTEM_ID);
    const QString settingsFile = OpenStationSettingsStore()->fileName();
    if (stoppedAt) {
        audit_.Append(QStringLiteral("settings-refused"),
                      {{"file", settingsFile}, {"stopped_at", *stoppedAt}});
    } else {
        audit_.Append(QStringLiteral("settings-loaded"), {{"file", settingsFile}});
    }
    // Image serials carry the station number; one that breaks them is refused before the
    // station touches the database.
    if (!SerialsFit(SYSTEM_ID)) {
        audit_.Append(QStringLiteral("station-start-refused"),
                      {{"reason", "station number"}, {"station_number", SYSTEM_ID}});
        dialogs_.MsgBox(StationNumberRefusal(SYSTEM_ID), Dialogs::Buttons::OK,
                        Dialogs::Icon::Critical, QStringLiteral("Station Number"));
        End();
        return;
    }

    if (!LOGIN_SUCCEEDED) {
        frmLogin login(dialogs_, audit_, this);
        login.CallingForm = this;
        login.exec();
        if (!LOGIN_SUCCEEDED) {
            audit_.Append(QStringLiteral("station-start-refused"),
                          {{"reason", "no operator logged in"}});
            End();
            return;
        }
    }
    audit_.SetOperator(USER_ID);

    cycle_.State().ScanningHeader = false;
    cycle_.State().ScanningEnder = false;

    cycle_.SetMode(StationMode::NoBatch);

    InitialiseScannerControls(KScan1, KImgp1, SCANNER_INI);

    const bool registered = StationStatusExists(DSNCONNECTSTR, SYSTEM_ID);
    if (!registered) {
        if (!AddStationStatus(DSNCONNECTSTR, SYSTEM_ID, SYSTEM_TYPE, USER_ID,
                              QStringLiteral("ONLINE"), QStringLiteral("STANDING BY"))) {
            audit_.Append(QStringLiteral("station-start-refused"),
                          {{"reason", "station row could not be added"}});
            dialogs_.MsgBox(
                QStringLiteral("Unable to Log Into Network Monitor.  Session Terminated."),
                Dialogs::Buttons::OK, Dialogs::Icon::None);
            End();
            return;
        }
    }
    UpdateStationStatus(DSNCONNECTSTR, SYSTEM_ID, USER_ID, QStringLiteral("ONLINE"),
                        QStringLiteral("STANDING BY"));
    audit_.Append(QStringLiteral("station-registered"), {{"row_added", !registered}});

    if (!DbConnection) {
        DbConnection = std::make_unique<Connection>();
    }
    DbConnection->Open(SQLCONNECTSTR);

    if (!std::get<bool>(KImgp1.read(KImgp::EndorserFitted))) {
        chkActivateEndorser->setCheckState(Qt::PartiallyChecked);
        chkActivateEndorser->setEnabled(false);
    }

    if (const int removed = DeleteOpenBatches(DSNCONNECTSTR, SYSTEM_ID); removed >= 0) {
        audit_.Append(QStringLiteral("open-batches-removed"), {{"batches", removed}});
    } else {
        audit_.Append(QStringLiteral("open-batches-not-removed"));
    }
    // The station's own start-up statements come after those of the load step.
    CheckCentre();
    AnchorAuditLog(audit_, DSNCONNECTSTR, SYSTEM_ID);
}

void VrelScan::CheckCentre() {
    const QString missing = MissingCentreNeeds(DSNCONNECTSTR, SYSTEM_ID);
    if (missing.isEmpty()) {
        return;
    }
    // A batch scanned now would be lost at End Batch.
    audit_.Append(QStringLiteral("batches-refused"), {{"reason", missing}});
    cycle_.SetMode(StationMode::CentreIncomplete);
    dialogs_.MsgBox(missing, Dialogs::Buttons::OK, Dialogs::Icon::Critical,
                    QStringLiteral("Centre Database Incomplete"));
}

void VrelScan::End() {
    ended_ = true;
}

void VrelScan::closeEvent(QCloseEvent* event) {
    if (!ended_) {
        Attempt(audit_, "stopping a run", [this] {
            if (std::get<bool>(KScan1.read(KScan::Feeding))) {
                KScan1.write(KScan::Action, KScan::ClearPaperPath);
            }
        });
        Attempt(audit_, "releasing the scanner",
                [this] { KScan1.write(KScan::Action, KScan::Release); });
        // A load step that stopped early may not have created the connection.
        Attempt(audit_, "closing the database connection", [this] {
            if (DbConnection && DbConnection->State() != 0) {
                DbConnection->Close();
            }
        });
        UpdateStationStatus(DSNCONNECTSTR, SYSTEM_ID, USER_ID, QStringLiteral("OFFLINE"),
                            QStringLiteral("OFFLINE"));
        SetStationOffline(DSNCONNECTSTR, SYSTEM_ID);
    }
    event->accept();
}

VrelScan::~VrelScan() {
    if (!ended_) {
        SetStationOffline(DSNCONNECTSTR, SYSTEM_ID);
        if (const qint16 batch = cycle_.State().CurrentBatch; batch > 0) {
            audit_.Append(QStringLiteral("open-batch-removed"), {{"batch", batch}});
            DeleteBatch(DSNCONNECTSTR, SYSTEM_ID, batch);
        }
        cycle_.RemoveLostBatches();
    }
    audit_.Append(QStringLiteral("station-ended"), {{"version", LINDHOLLOW_VERSION}});
    audit_.SetFailureHandler({});
    if (!ended_) {
        AnchorAuditLog(audit_, DSNCONNECTSTR, SYSTEM_ID);
    }
}
