#pragma once

#include <QDir>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include "scanner/ImagingControl.h"
#include "scanner/ScannerControl.h"

// The real scanner controls over a temporary folder: the initialisation file written there from
// the given sections, and the folders slot, feeder and tray (the disk-import scanner's card slot,
// feeder and output tray) and intray.
class TestScanner {
  public:
    explicit TestScanner(const QString& kscanSection, const QString& kimgpSection = {});

    // The station's start-up sequence; throws ControlError.
    void startUp();
    // A card scan as the station starts it.
    void scanCard();
    // A run of 11-inch ballots as Start Scanner starts it, with or without the endorser.
    void startRun(bool endorse, qint32 counter = 1, const QString& fixedText = {},
                  qint32 position = 1500);

    QString path(const QString& name) const { return dir.filePath(name); }
    QStringList filesIn(const QString& folder) const;

    QTemporaryDir temporary;
    QDir dir;
    QString ini;
    ScannerControl KScan1;
    ImagingControl KImgp1;
};
