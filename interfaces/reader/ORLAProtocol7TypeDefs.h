// The ballot-reading library's binary interface: the record that ReadBallotMarks fills, the card
// types and results it reports, and its two entry points. Hosts bind the entry points by name, so
// the names, their types and the record's byte layout are the whole contract. The library
// (platform/lhdll) and the station's binding (station/scanning/LHDLLInterface) both build on this
// one declaration.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

// Filled by ReadBallotMarks for one image. The station reads only CardType and BatchNumber; the
// rest is the library's own (platform/lhdll/README.md).
struct BallotMarks {
    std::uint8_t MarkData[604];  // one byte per bubble: 1 marked, 0 not
    char CardCode[32];           // the card code as read, NUL-padded
    char Reserved[32];           // always zero
    std::int16_t CardType;
    std::int16_t BatchNumber;
    std::uint8_t MarkCount;  // marked bubbles, at most 255
    std::uint8_t Padding;
    std::int16_t SkewTenths;  // measured skew of a ballot, tenths of a degree
};

static_assert(std::endian::native == std::endian::little);
static_assert(sizeof(BallotMarks) == 676);
static_assert(offsetof(BallotMarks, CardCode) == 604);
static_assert(offsetof(BallotMarks, Reserved) == 636);
static_assert(offsetof(BallotMarks, CardType) == 668);
static_assert(offsetof(BallotMarks, BatchNumber) == 670);
static_assert(offsetof(BallotMarks, MarkCount) == 672);
static_assert(offsetof(BallotMarks, SkewTenths) == 674);

namespace ORLAProtocol7TypeDefs {

using ::BallotMarks;

// The entry points, exported under these names with C linkage.
// ClearImageBuffer: clears the page buffer that reads keep between calls.
using ClearImageBufferEntry = void();
// ReadBallotMarks: reads the image file at path and fills marks; returns 0 or a result code.
using ReadBallotMarksEntry = std::int16_t(const char* path, BallotMarks* marks);
// ReadsConcurrently, optional: non-zero when ReadBallotMarks may run on several threads at once,
// each with a record of its own, and ClearImageBuffer clears the calling thread's buffer only.
// Hosts call a library without it from one thread, one read at a time.
using ReadsConcurrentlyEntry = std::int32_t();

// Card types: -6, -5 and -4 header cards, -1 the ender card, outside -6 to -1 a ballot. Types -3
// and -2 name no card of this system.
constexpr bool IsHeaderCard(std::int16_t cardType) {
    return cardType >= -6 && cardType <= -4;
}
constexpr bool IsEnderCard(std::int16_t cardType) {
    return cardType == -1;
}
constexpr bool IsBallot(std::int16_t cardType) {
    return cardType < -6 || cardType > -1;
}
// Header cards of types -6 and -4 carry a batch number; no other card does.
constexpr bool CarriesBatchNumber(std::int16_t cardType) {
    return cardType == -6 || cardType == -4;
}

// Results of ReadBallotMarks: 0 the image was read and CardType is valid; 10, 20, 30 and 40 the
// image is to be discarded; anything else sends the image to repair.
constexpr bool IsDiscardResult(std::int16_t result) {
    return result == 10 || result == 20 || result == 30 || result == 40;
}

}  // namespace ORLAProtocol7TypeDefs
