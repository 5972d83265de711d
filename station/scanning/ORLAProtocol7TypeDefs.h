#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>

// The records exchanged with the ballot-reading library, laid out byte for byte as it sees them.
namespace ORLAProtocol7TypeDefs {

// Filled by ReadBallotMarks for one image. The station reads only CardType and BatchNumber;
// the rest belongs to the library.
struct BallotMarks {
    std::array<std::uint8_t, 604> MarkData;
    std::array<char, 32> Text1;
    std::array<char, 32> Text2;
    std::int16_t CardType;
    std::int16_t BatchNumber;
    std::uint8_t Byte672;
    std::uint8_t Padding;
    std::int16_t Word674;
};

static_assert(std::endian::native == std::endian::little);
static_assert(sizeof(BallotMarks) == 676);
static_assert(offsetof(BallotMarks, Text1) == 604);
static_assert(offsetof(BallotMarks, Text2) == 636);
static_assert(offsetof(BallotMarks, CardType) == 668);
static_assert(offsetof(BallotMarks, BatchNumber) == 670);
static_assert(offsetof(BallotMarks, Byte672) == 672);
static_assert(offsetof(BallotMarks, Word674) == 674);

// CardType values: -6, -5 and -4 header cards, -1 the ender card, outside -6 to -1 a ballot.
constexpr bool IsHeaderCard(std::int16_t cardType) {
    return cardType >= -6 && cardType <= -4;
}
constexpr bool IsEnderCard(std::int16_t cardType) {
    return cardType == -1;
}
constexpr bool IsBallot(std::int16_t cardType) {
    return cardType < -6 || cardType > -1;
}

}  // namespace ORLAProtocol7TypeDefs
