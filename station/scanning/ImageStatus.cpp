#include "scanning/ImageStatus.h"

#include "reader/ORLAProtocol7TypeDefs.h"

ImageClass ClassifyImage(qint16 result, qint16 cardType, qint32 index, qint32 lastIndex) {
    using namespace ORLAProtocol7TypeDefs;
    if (result == 10 || result == 20 || result == 30 || result == 40) {
        return {ImageStatus::Discarded, result, Tally::Discarded};
    }
    if (result != 0) {
        return {ImageStatus::WaitingForRepair, result, Tally::Repair};
    }
    if (IsHeaderCard(cardType)) {
        return {index == 0 ? ImageStatus::OpeningHeaderCard : ImageStatus::HeaderCardInside, 0,
                Tally::HeaderCard};
    }
    if (IsEnderCard(cardType)) {
        return {index < lastIndex ? ImageStatus::EnderCardInside : ImageStatus::ClosingEnderCard, 0,
                Tally::EnderCard};
    }
    if (IsBallot(cardType)) {
        return {ImageStatus::BallotRead, 0, Tally::Ballot};
    }
    // Card types -3 and -2 name no card of this system: the image waits for someone to look
    // at it, although it was read cleanly.
    return {ImageStatus::WaitingForRepair, 0, Tally::Repair};
}
