// The non-zero results of ReadBallotMarks. Hosts keep 10, 20, 30 and 40 apart as "discarded";
// every other non-zero code sends the image to repair. README.md carries the same table.
#pragma once

#include <cstdint>

namespace lhdll {

enum ResultCode : std::int16_t {
    kRead = 0,
    kBlankSheet = 10,
    kNoPathOrRecord = 100,
    kCannotOpen = 101,
    kDamagedImage = 102,
    kOutOfMemory = 103,
    kNoCardCode = 201,
    kDamagedCardCode = 202,
    kForeignCardCode = 203,
    kNoBubbleGrid = 301,
};

}  // namespace lhdll
