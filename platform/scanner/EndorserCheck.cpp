#include "scanner/EndorserCheck.h"

#include "controls/ControlError.h"
#include "controls/ControlSequences.h"
#include "scanner/ImagingControl.h"
#include "scanner/IniSection.h"
#include "scanner/ScannerControl.h"

QString DescribeEndorser(const QString& scannerIni) {
    ScannerControl scanner;
    ImagingControl imaging;
    try {
        InitialiseScannerControls(scanner, imaging, scannerIni);
    } catch (const ControlError& error) {
        return QStringLiteral(
                   "Which endorser the station uses cannot be told: the scanner of %1 "
                   "does not open (%2 %3).")
            .arg(scannerIni)
            .arg(error.number())
            .arg(error.description());
    }
    const std::optional<IniSection> section = readIniSection(scannerIni, QStringLiteral("KSCAN"));
    const QString device = section->value(QStringLiteral("Device"));
    const std::optional<bool> imprinter = scanner.imprinterReady();
    QString said;
    if (!std::get<bool>(imaging.read(KImgp::EndorserFitted))) {
        said = QStringLiteral("No endorser is offered: section [KImgp] of %1 says Endorser = no.")
                   .arg(scannerIni);
    } else if (!imprinter) {
        said = QStringLiteral(
                   "The endorser's text is drawn into the stored images; the scanner "
                   "%1 prints nothing on the paper.")
                   .arg(device.isEmpty() ? QStringLiteral("(disk import)") : device);
    } else if (*imprinter) {
        said = QStringLiteral(
                   "The imprinter of the scanner %1 prints the endorser's text on "
                   "the paper.")
                   .arg(device);
    } else {
        said = QStringLiteral(
                   "The imprinter of the scanner %1 reports low ink: the station "
                   "does not endorse until its ink cartridge is replaced.")
                   .arg(device);
    }
    scanner.write(KScan::Action, KScan::Release);
    return said;
}
