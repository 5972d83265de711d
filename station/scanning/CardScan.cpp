// A card scan: one card fed from the card slot while the window waits for its page.

#include "controls/ControlSequences.h"
#include "scanning/BatchCycle.h"
#include "scanning/BatchView.h"

bool BatchCycle::ScanCard(const bool& pageDone) {
    const StationMode before = mode_;
    SetMode(StationMode::CardScan);
    try {
        StartFeeding(KScan1, KScan::CardSlot);
        view_.WaitForCardPage(pageDone);
    } catch (...) {
        SetMode(before);
        throw;
    }
    SetMode(before);
    if (std::get<qint16>(KScan1.read(KScan::ErrorCode)) != 0) {
        KScan1.write(KScan::ErrorCode, qint16(0));
        return false;
    }
    return true;
}
