#include "ScannerControls.h"

#include "ImagingControl.h"
#include "ScannerControl.h"

ScannerControls makeScannerControls() {
    return {std::make_unique<ScannerControl>(), std::make_unique<ImagingControl>()};
}
