#pragma once

// The lines a soak station and the soak's controller exchange, one per line: the station on
// its standard output, the controller on the station's standard input.
namespace soak {

// Station: loaded, waiting for kGo.
inline constexpr char kReady[] = "ready";
// Controller: begin scanning.
inline constexpr char kGo[] = "go";
// Station: "storing BATCH", in a storage pass held before its third insert until the
// controller answers with any line.
inline constexpr char kStoring[] = "storing";
// Station: "stored BATCH" when the batch is closed, "lost BATCH" when it is to be scanned again.
inline constexpr char kStored[] = "stored";
inline constexpr char kLost[] = "lost";
// Station: every batch stored, followed by the number of in-tray files missing or extra in the
// batches' folders when there are any; the window stays open until kClose.
inline constexpr char kScanned[] = "scanned";
// Controller: close the window, the end of the shift.
inline constexpr char kClose[] = "close";
// Station: the window closed.
inline constexpr char kDone[] = "done";

}  // namespace soak
