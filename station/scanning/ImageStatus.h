#pragma once

#include <QtGlobal>

// What batch storage makes of one image: its status code, its error code and the tally that
// counts it, from the ballot-reading library's result and card type and the image's place in
// the batch.
namespace ImageStatus {
constexpr quint8 BallotRead = 0;
constexpr quint8 WaitingForRepair = 1;
constexpr quint8 Discarded = 2;
constexpr quint8 OpeningHeaderCard = 9;
constexpr quint8 ClosingEnderCard = 10;
constexpr quint8 HeaderCardInside = 100;
constexpr quint8 EnderCardInside = 110;
}  // namespace ImageStatus

enum class Tally { Ballot, Repair, Discarded, HeaderCard, EnderCard };

struct ImageClass {
    quint8 Status;
    qint16 ErrorCode;
    Tally CountedAs;
};

// index is the image's sequence number, lastIndex that of the batch's ender card.
ImageClass ClassifyImage(qint16 result, qint16 cardType, qint32 index, qint32 lastIndex);
