#include "support/TestScanner.h"

#include <QFile>
#include <optional>

#include "controls/ControlSequences.h"

TestScanner::TestScanner(const QString& kscanSection, const QString& kimgpSection)
    : dir(temporary.path()), ini(dir.filePath(QStringLiteral("scanner.ini"))) {
    for (const char* folder : {"slot", "feeder", "tray", "intray"})
        dir.mkpath(QLatin1String(folder));
    QFile file(ini);
    file.open(QIODevice::WriteOnly);
    file.write(
        QStringLiteral("[KSCAN]\n%1\n[KImgp]\n%2\n").arg(kscanSection, kimgpSection).toUtf8());
}

void TestScanner::startUp() {
    InitialiseScannerControls(KScan1, KImgp1, ini);
}

void TestScanner::scanCard() {
    KScan1.write(KScan::PageLength, KScan::Length11Inches);
    StartFeeding(KScan1, KScan::CardSlot);
}

void TestScanner::startRun(bool endorse, qint32 counter, const QString& fixedText,
                           qint32 position) {
    KScan1.write(KScan::PageLength, KScan::Length11Inches);
    const bool endorsing = endorse && std::get<bool>(KImgp1.read(KImgp::EndorserReady));
    SetEndorser(KImgp1, endorsing ? std::optional<EndorserSetting>({position, fixedText, counter})
                                  : std::nullopt);
    StartFeeding(KScan1, KScan::Feeder);
}

QStringList TestScanner::filesIn(const QString& folder) const {
    return QDir(dir.filePath(folder)).entryList(QDir::Files, QDir::Name);
}
