#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>
#include <string>
#include <vector>

// One image of the open batch; its index in BatchImages is its sequence number in the batch
// (0 = the header card).
struct BatchImage {
    qint32 Serial = 0;     // numeric value of the image serial, stored as BallotSN
    quint8 Status = 0;     // image status code, given by batch storage
    qint16 ErrorCode = 0;  // the ballot-reading library's result, stored as Error
};

// BatchImages holds sequence numbers 0 to 100000.
constexpr qint32 BatchImagesSize = 100001;

// A page that has ended and completes an image, while the scanner writes its file.
struct PageBeingWritten {
    qint32 sequence;  // 0 for the header card
    QString file;
};

// The run-time state of the batch cycle, as its steps share it.
struct BatchState {
    qint16 CurrentBatch = 0;              // 0: no batch open
    std::vector<BatchImage> BatchImages;  // allocated when a batch opens
    QString BatchFolder;
    QString NextImageFile;    // the file the next page is written to
    QString NextImageSerial;  // the serial of the next image
    qint32 ImageCounter = 0;  // sequence number of the next image
    bool ScanningHeader = false;
    bool HeaderPageDone = false;
    bool ScanningEnder = false;
    bool EnderPageDone = false;
    qint32 EndorserOffset = 0;
    // The run under way prints each sheet's image serial on it as the sheet is fed.
    bool Endorsing = false;
    // The seal of each image of the batch by sequence number (see ImageSeal.h), taken when its
    // page was done; the storage pass checks each file against it before reading it.
    std::vector<std::string> ImageSeals;
    std::optional<PageBeingWritten> PageEnded;
    // The last page ended went on with another page of its sheet: the sheet is not yet an image.
    bool SheetUnfinished = false;
    // Off only where the cost of sealing is measured against a pass without it.
    bool SealImages = true;
    // Off only where the cost of keeping the images' bytes at the centre is measured.
    bool KeepImagesAtCentre = true;
    // Tallies of the batch being stored.
    qint32 BallotCount = 0;
    qint32 DiscardedCount = 0;
    qint32 RepairCount = 0;
    qint32 HeaderCardCount = 0;
    qint32 EnderCardCount = 0;
};
