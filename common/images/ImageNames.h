#pragma once

#include <QString>
#include <QtGlobal>

// Names of a batch's folder and images. A serial is the station number in plain decimal, the
// batch number in at least three digits and the sequence number in at least five, without
// separators: station 3, batch 7, image 12 gives "300700012".

// The station and batch part that every serial of the batch begins with: "3007".
QString SerialPrefix(qint16 systemId, qint16 batchNo);
QString ImageSerial(qint16 systemId, qint16 batchNo, qint32 sequence);
// The batch folder followed by the serial and ".tif".
QString ImageFile(const QString& batchFolder, const QString& serial);
// INTRAY, the station number, the batch number in at least three digits, a path separator.
QString BatchFolderName(const QString& intray, qint16 systemId, qint16 batchNo);

// The highest sequence number whose serial keeps five digits; a batch keeps it for its ender card.
constexpr qint32 LastImageSequence = 99999;

// The highest station number whose serials fit a signed 32-bit integer for every batch number up
// to 999 and every sequence number up to LastImageSequence.
constexpr qint16 LargestStationNumber = (0x7fffffff - 99999999) / 100000000;

// Whether every serial of the station fits its numeric value: stations 1 to LargestStationNumber.
constexpr bool SerialsFit(qint16 systemId) {
    return systemId >= 1 && systemId <= LargestStationNumber;
}
