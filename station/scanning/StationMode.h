#pragma once

// What the station is doing, as its buttons show it: the batch cycle moves between these, and the
// main window sets every button from the mode alone.
enum class StationMode {
    NoBatch,           // only Start Batch
    BatchOpen,         // End Batch and Start Scanner
    BatchFull,         // only End Batch: the batch's last image is kept for its ender card
    Scanning,          // End Batch and Stop Scanner: a run is under way
    CardScan,          // no button: a header or ender card is being scanned
    CentreIncomplete,  // no button: the centre's database could not store a batch
};
