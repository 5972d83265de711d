// VrelScanning: the program of one scanning station.

#include <QApplication>
#include <QFont>

#include "audit/AuditLog.h"
#include "controls/ScannerControls.h"
#include "settings/StationSettingsStore.h"
#include "shell/CommandLine.h"
#include "shell/QtDialogs.h"
#include "shell/VrelScan.h"

int main(int argc, char* argv[]) {
    if (const std::optional<int> status = AnswerCommandLine(argc, argv)) {
        return *status;
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("VrelScanning"));
    // The forms are laid out for the small dialog font of their day, as narrow as Arial; wider
    // faces or larger sizes would cut captions off.
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPointSizeF(7.5);
    QApplication::setFont(font);

    QtDialogs dialogs;
    AuditLog audit(ConfiguredAuditLogFile());
    const ScannerControls controls = makeScannerControls();
    VrelScan window(*controls.KScan1, *controls.KImgp1, dialogs, audit);
    window.Form_Load();
    if (window.Ended()) {
        return 0;
    }
    window.show();
    return application.exec();
}
