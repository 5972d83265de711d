#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

// A stored image that cannot be shown; the text says why in a few words.
struct ImageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Beyond two sides of a legal sheet at 600 dpi: larger is no scan but a forged or broken header.
constexpr std::uint64_t kMostSheetPixels = 100'000'000;
constexpr std::uint32_t kMostSheetSide = 20'000;
// A duplex sheet has two pages; a few more are tolerated, never an unbounded chain.
constexpr int kMostSheetPages = 4;
// The PNG of the noisiest colour sheet stays below this.
constexpr std::size_t kMostPngBytes = 64u << 20;

// An image file as the scanner wrote it (a TIFF of one page, or two for both sides of a sheet),
// read from memory, as one PNG with its pages one below the other. Bilevel pages stay 1-bit grey;
// a file with any other page becomes 8-bit RGB. Memory stays that of a band of rows and the PNG:
// no page is decoded whole. Throws ImageError when libtiff cannot read the file or its size is
// beyond the bounds above.
std::string TiffToPng(std::string_view tiff);
