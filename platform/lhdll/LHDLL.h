// The ballot-reading library's C interface: the record it fills and its two entry points.
// Hosts bind the entry points by name, so their names and the record's byte layout are the
// whole contract.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

#define LHDLL_EXPORT __attribute__((visibility("default")))

extern "C" {

struct BallotMarks {
    std::uint8_t MarkData[604];  // one byte per bubble: 1 marked, 0 not (see README.md)
    char CardCode[32];           // the card code as read, NUL-padded
    char Reserved[32];           // always zero
    std::int16_t CardType;
    std::int16_t BatchNumber;
    std::uint8_t MarkCount;  // marked bubbles, at most 255
    std::uint8_t Padding;
    std::int16_t SkewTenths;  // measured skew of a ballot, tenths of a degree
};

// Clears the page buffer that reads keep between calls.
LHDLL_EXPORT void ClearImageBuffer();

// Reads the TIFF file at path and fills marks; returns 0 or a result code of README.md.
LHDLL_EXPORT std::int16_t ReadBallotMarks(const char* path, BallotMarks* marks);
}

static_assert(std::endian::native == std::endian::little);
static_assert(sizeof(BallotMarks) == 676);
static_assert(offsetof(BallotMarks, CardCode) == 604);
static_assert(offsetof(BallotMarks, Reserved) == 636);
static_assert(offsetof(BallotMarks, CardType) == 668);
static_assert(offsetof(BallotMarks, BatchNumber) == 670);
static_assert(offsetof(BallotMarks, MarkCount) == 672);
static_assert(offsetof(BallotMarks, SkewTenths) == 674);
