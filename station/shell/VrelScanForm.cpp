// The main window's controls, as the form lays them out, the wiring of their events, and what the
// batch cycle shows on them.

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <exception>

#include "LindhollowVersion.h"
#include "audit/AuditLog.h"
#include "controls/ControlError.h"
#include "controls/KImgp.h"
#include "controls/KScan.h"
#include "shell/CardScanWait.h"
#include "shell/Dialogs.h"
#include "shell/TextColour.h"
#include "shell/Twips.h"
#include "shell/VrelScan.h"

namespace {

// Runs a scanner button or event handler, reporting a scanner control's refusal through the
// batch cycle, and any other failure (a page beyond the image list of the batch) in the same way;
// an exception must not leave through Qt's event loop.
template <typename... Args>
auto Trapped(VrelScan* window, void (VrelScan::*handler)(Args...)) {
    return [window, handler](Args... args) {
        try {
            (window->*handler)(args...);
        } catch (const ControlError& error) {
            window->Cycle().ScannerControlFailed(error);
        } catch (const std::exception& error) {
            window->Cycle().ScannerControlFailed(
                ControlError(ScannerError::General, QString::fromLocal8Bit(error.what())));
        }
    };
}

template <typename Control>
Control* Place(QWidget* container, const char* name, const QString& caption, const QRect& at) {
    auto* control = new Control(caption, container);
    control->setObjectName(QLatin1StringView(name));
    control->setGeometry(at);
    return control;
}

}  // namespace

VrelScan::VrelScan(KScan& scanner, KImgp& imaging, Dialogs& dialogs, AuditLog& audit,
                   QWidget* parent)
    : QWidget(parent),
      KScan1(scanner),
      KImgp1(imaging),
      dialogs_(dialogs),
      audit_(audit),
      cycle_(scanner, imaging, dialogs, *this, Settings, Login, audit) {
    audit_.SetFailureHandler([this](const QString& reason) {
        dialogs_.MsgBox(
            QStringLiteral("The station's audit log cannot be written: %1.  The station "
                           "goes on without it.  Tell the centre's administrator.")
                .arg(reason),
            Dialogs::Buttons::OK, Dialogs::Icon::Exclamation, QStringLiteral("Audit Log"));
    });
    audit_.Append(QStringLiteral("station-started"), {{"version", LINDHOLLOW_VERSION}});

    setObjectName(QStringLiteral("VrelScan"));
    setWindowTitle(QStringLiteral("Kestrana Lindhollow Scanner Control"));
    setFixedSize(Twips(0, 0, 12585, 2595).size());

    frmEndorsePos = Place<QGroupBox>(this, "frmEndorsePos", QStringLiteral("Endorser Position"),
                                     Twips(120, 120, 1935, 2055));
    chkActivateEndorser =
        Place<QCheckBox>(frmEndorsePos, "chkActivateEndorser", QStringLiteral("Activate Endorser"),
                         Twips(120, 240, 1575, 255));
    chkActivateEndorser->setCheckState(Qt::Checked);
    // The option buttons show no caption of their own; the labels beside them name them.
    optFirst = Place<QRadioButton>(frmEndorsePos, "optFirst", {}, Twips(120, 600, 255, 255));
    optSecond = Place<QRadioButton>(frmEndorsePos, "optSecond", {}, Twips(120, 960, 255, 255));
    optThird = Place<QRadioButton>(frmEndorsePos, "optThird", {}, Twips(120, 1320, 255, 255));
    OptFourth = Place<QRadioButton>(frmEndorsePos, "OptFourth", {}, Twips(120, 1680, 255, 255));
    optFirst->setChecked(true);
    Label1 = Place<QLabel>(frmEndorsePos, "Label1", QStringLiteral("First Scan"),
                           Twips(360, 600, 1455, 255));
    Label2 = Place<QLabel>(frmEndorsePos, "Label2", QStringLiteral("Second Scan"),
                           Twips(360, 960, 1455, 255));
    Label3 = Place<QLabel>(frmEndorsePos, "Label3", QStringLiteral("Third Scan"),
                           Twips(360, 1320, 1455, 255));
    Label4 = Place<QLabel>(frmEndorsePos, "Label4", QStringLiteral("Fourth Scan"),
                           Twips(360, 1680, 1455, 255));

    frmBatchControl = Place<QGroupBox>(this, "frmBatchControl", QStringLiteral("Batch Control"),
                                       Twips(2280, 120, 5055, 2055));
    cmdStartBatch = Place<QPushButton>(frmBatchControl, "cmdStartBatch",
                                       QStringLiteral("Start Batch"), Twips(240, 480, 1095, 495));
    cmdEndBatch = Place<QPushButton>(frmBatchControl, "cmdEndBatch", QStringLiteral("End Batch"),
                                     Twips(240, 1320, 1095, 495));
    lblBatch = Place<QLabel>(frmBatchControl, "lblBatch", QStringLiteral("Current Batch:"),
                             Twips(1440, 480, 2175, 255));

    frmScannerControl = Place<QGroupBox>(
        this, "frmScannerControl", QStringLiteral("Scanner Control"), Twips(7560, 120, 4815, 2055));
    cmdStartScanner =
        Place<QPushButton>(frmScannerControl, "cmdStartScanner", QStringLiteral("Start Scanner"),
                           Twips(360, 480, 1335, 495));
    cmdStopScanner =
        Place<QPushButton>(frmScannerControl, "cmdStopScanner", QStringLiteral("Stop Scanner"),
                           Twips(360, 1320, 1335, 495));
    lblImageCount = Place<QLabel>(frmScannerControl, "lblImageCount",
                                  QStringLiteral("Image Count:"), Twips(1920, 480, 2415, 375));

    lblDB = Place<QLabel>(this, "lblDB", QStringLiteral("Write to Database"),
                          Twips(840, 2280, 1335, 255));
    pbarDB = new QProgressBar(this);
    pbarDB->setObjectName(QStringLiteral("pbarDB"));
    pbarDB->setGeometry(Twips(2280, 2280, 10095, 255));
    pbarDB->setRange(0, 100);
    pbarDB->setValue(0);
    pbarDB->setTextVisible(false);

    KScan1.setObjectName(QStringLiteral("KScan1"));
    KImgp1.setObjectName(QStringLiteral("KImgp1"));

    connect(cmdStartScanner, &QPushButton::clicked, this,
            Trapped(this, &VrelScan::cmdStartScanner_Click));
    connect(cmdStopScanner, &QPushButton::clicked, this,
            Trapped(this, &VrelScan::cmdStopScanner_Click));
    connect(cmdStartBatch, &QPushButton::clicked, this, &VrelScan::cmdStartBatch_Click);
    connect(cmdEndBatch, &QPushButton::clicked, this, &VrelScan::cmdEndBatch_Click);
    connect(&KScan1, &KScan::event10, this, Trapped(this, &VrelScan::KScan1_Event10));
    connect(&KScan1, &KScan::event12, this, Trapped(this, &VrelScan::KScan1_Event12));
    connect(&KScan1, &KScan::event14, this,
            [this](qint32, qint32) { Trapped(this, &VrelScan::KScan1_Event14)(); });
    // The error number and description are passed by reference.
    connect(&KScan1, &KScan::event15, this, Trapped(this, &VrelScan::KScan1_Event15),
            Qt::DirectConnection);
}

void VrelScan::cmdStartBatch_Click() {
    cycle_.StartBatch();
}

void VrelScan::cmdEndBatch_Click() {
    cycle_.EndBatch();
}

void VrelScan::cmdStartScanner_Click() {
    cycle_.StartScanner();
}

void VrelScan::cmdStopScanner_Click() {
    cycle_.StopScanner();
}

void VrelScan::KScan1_Event10() {
    cycle_.Event10();
}

void VrelScan::KScan1_Event12() {
    cycle_.Event12();
}

void VrelScan::KScan1_Event14() {
    cycle_.Event14();
}

void VrelScan::KScan1_Event15(qint16& number, QString& description) {
    cycle_.Event15(number, description);
}

bool VrelScan::StoreScannedBatchIntoDatabase() {
    return cycle_.StoreScannedBatchIntoDatabase();
}

void VrelScan::updateInterface(StationMode mode) {
    // A card scan takes every button away; the focus goes back where it was once it has ended.
    if (mode == StationMode::CardScan) {
        focusBeforeCardScan_ = focusWidget();
    }
    cmdStartBatch->setEnabled(mode == StationMode::NoBatch);
    cmdEndBatch->setEnabled(mode == StationMode::BatchOpen || mode == StationMode::BatchFull ||
                            mode == StationMode::Scanning);
    cmdStartScanner->setEnabled(mode == StationMode::BatchOpen);
    cmdStopScanner->setEnabled(mode == StationMode::Scanning);
    if (mode != StationMode::CardScan && focusBeforeCardScan_) {
        focusBeforeCardScan_->setFocus();
        focusBeforeCardScan_ = nullptr;
    }
}

void VrelScan::ShowBatch(const QString& caption, bool open) {
    lblBatch->setText(caption);
    SetTextColour(*lblBatch, open ? QColor(0, 0, 0) : QColor(255, 0, 0));
}

void VrelScan::ShowImageCount(const QString& caption) {
    lblImageCount->setText(caption);
}

void VrelScan::StartProgress(qint32 steps) {
    pbarDB->setMaximum(steps);
    pbarDB->setValue(0);
}

void VrelScan::AdvanceProgress() {
    if (pbarDB->maximum() > pbarDB->value()) {
        pbarDB->setValue(pbarDB->value() + 1);
    }
}

void VrelScan::ClearProgress() {
    pbarDB->setValue(0);
}

void VrelScan::FocusStartBatch() {
    cmdStartBatch->setFocus();
}

void VrelScan::FocusStartScanner() {
    cmdStartScanner->setFocus();
}

EndorserChoice VrelScan::Endorser() const {
    const QList<QRadioButton*> options = {optFirst, optSecond, optThird, OptFourth};
    qint32 position = 0;
    for (qsizetype i = 0; i < options.size() && position == 0; ++i) {
        if (options[i]->isChecked()) {
            position = qint32(i + 1);
        }
    }
    return {chkActivateEndorser->checkState() == Qt::Checked, position};
}

void VrelScan::WaitForCardPage(const bool& pageDone) {
    ::WaitForCardPage(*this, pageDone);
}
