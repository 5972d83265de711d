#pragma once

#include <QtGlobal>

// One image of the open batch; its index in the window's BatchImages is its sequence number in
// the batch (0 = the header card).
struct BatchImage {
    qint32 Serial = 0;     // numeric value of the image serial, stored as BallotSN
    quint8 Status = 0;     // image status code, given by batch storage
    qint16 ErrorCode = 0;  // the ballot-reading library's result, stored as Error
};

// BatchImages holds sequence numbers 0 to 100000.
constexpr qint32 BatchImagesSize = 100001;
