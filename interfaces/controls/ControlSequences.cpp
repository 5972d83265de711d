#include "controls/ControlSequences.h"

void InitialiseScannerControls(KScan& scanner, KImgp& imaging, const QString& scannerIni) {
    scanner.write(KScan::Setup, QStringLiteral("8000"));
    scanner.write(KScan::Action, KScan::CloseDevice);
    scanner.write(KScan::ActiveDevice, qint32(0));
    scanner.write(KScan::Action, KScan::OpenDevice);
    scanner.write(KScan::IniFile, scannerIni);
    scanner.write(KScan::IniSectionName, QStringLiteral("KSCAN"));
    scanner.write(KScan::Action, KScan::LoadSection);
    scanner.write(KScan::ImageProcessing, &imaging);
    imaging.write(KImgp::IniFile, scannerIni);
    imaging.write(KImgp::IniSectionName, QStringLiteral("KImgp"));
    imaging.write(KImgp::Action, KImgp::LoadSection);
}

void SetEndorser(KImgp& imaging, const std::optional<EndorserSetting>& setting) {
    if (!setting) {
        imaging.write(KImgp::Endorsing, false);
        return;
    }
    imaging.write(KImgp::Endorsing, true);
    imaging.write(KImgp::PrintPosition, setting->printPosition);
    imaging.write(KImgp::FixedText, setting->fixedText);
    imaging.write(KImgp::Counter, setting->counter);
    imaging.write(KImgp::CounterDigits, qint16(5));
    imaging.write(KImgp::DotSize, qint32(2));
    imaging.write(KImgp::CounterMode, qint16(1));
    imaging.write(KImgp::CounterStep, qint16(1));
}

void StartFeeding(KScan& scanner, KScan::Device from) {
    scanner.write(KScan::DeviceMethod, from);
    scanner.write(KScan::IOWriteMode, KScan::PageToFile);
    scanner.write(KScan::Action, KScan::StartFeeding);
}
