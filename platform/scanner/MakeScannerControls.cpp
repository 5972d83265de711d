#include "controls/ScannerControls.h"

#include "scanner/ImagingControl.h"
#include "scanner/ScannerControl.h"

ScannerControls makeScannerControls() {
    return {std::make_unique<ScannerControl>(), std::make_unique<ImagingControl>()};
}
