#pragma once

#include "controls/KImgp.h"
#include "controls/KScan.h"

#include <memory>

// The pair of controls that sits on the main window.
struct ScannerControls {
    std::unique_ptr<KScan> KScan1;
    std::unique_ptr<KImgp> KImgp1;
};

// The real controls; defined by the scanner platform library that the program links.
ScannerControls makeScannerControls();
