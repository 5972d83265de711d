// VrelScanning: the program of one scanning station.

#include <QApplication>

#include "QtDialogs.h"
#include "ScannerControls.h"
#include "VrelScan.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("VrelScanning"));

    QtDialogs dialogs;
    const ScannerControls controls = makeScannerControls();
    VrelScan window(*controls.KScan1, *controls.KImgp1, dialogs);
    window.Form_Load();
    if (window.Ended()) {
        return 0;
    }
    window.show();
    return application.exec();
}
