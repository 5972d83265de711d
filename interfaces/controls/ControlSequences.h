#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

#include "controls/KImgp.h"
#include "controls/KScan.h"

// The write sequences with which the station drives its scanner controls, in their order; the
// platform's tests drive the real controls with the same sequences. A write that the control
// refuses raises ControlError and ends the sequence there.

// Start-up: the scanner's device opened from section "KSCAN" of the initialisation file, the
// image-processing control linked to it and loaded from section "KImgp".
void InitialiseScannerControls(KScan& scanner, KImgp& imaging, const QString& scannerIni);

// What the endorser prints on every page of a run: the fixed text and the counter in at least five
// digits, at the print position; the counter rises by one a page.
struct EndorserSetting {
    qint32 printPosition;
    QString fixedText;
    qint32 counter;
};

// The endorser for the next run or card scan: on with the setting, or off.
void SetEndorser(KImgp& imaging, const std::optional<EndorserSetting>& setting);

// Starts feeding from the card slot or the feeder; the pages arrive as events.
void StartFeeding(KScan& scanner, KScan::Device from);
