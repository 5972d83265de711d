#include "CardCodeFinder.h"

#include <ZXing/ReadBarcode.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

#include "InkCount.h"
#include "SheetLayout.h"

namespace lhdll {
namespace {

// The smallest card code, a version 1 QR code, is 21 modules a side.
constexpr int kSmallestCodeModules = 21;
// ZXing wants some white around a code; half the standard's quiet zone will do.
constexpr int kQuietModules = 2;
// An 8 x 8 block this inked is print, not speckle.
constexpr int kPrintedBlockInk = 8;
// Print is gathered into clusters on a grid of cells of 16 x 16 pixels.
constexpr int kCell = 16;

struct Area {
    int x = 0;  // a multiple of 8: areas start at a byte of the page
    int y = 0;
    int width = 0;
    int height = 0;
};

// Copies the area as grey pixels, factor x factor page pixels to one.
void CopyGrey(const Bitmap& page, const Area& area, int factor, std::vector<std::uint8_t>& grey) {
    const int width = area.width / factor;
    const int height = area.height / factor;
    grey.resize(static_cast<std::size_t>(width) * height);
    std::uint8_t* out = grey.data();
    if (factor == 2) {
        // A byte of each of two rows gives four grey pixels; kPairs holds the ink of a byte's
        // four pixel pairs, one to a byte, so that one addition counts both rows.
        static constexpr auto kPairs = [] {
            std::array<std::uint32_t, 256> pairs{};
            for (unsigned byte = 0; byte < 256; ++byte) {
                for (unsigned pair = 0; pair < 4; ++pair) {
                    const unsigned bits = (byte >> (6 - 2 * pair)) & 3;
                    pairs[byte] |= ((bits >> 1) + (bits & 1)) << (8 * pair);
                }
            }
            return pairs;
        }();
        constexpr std::uint8_t kLevels[5] = {255, 192, 128, 64, 0};
        for (int y = 0; y < height; ++y) {
            const std::uint8_t* upper = page.Row(area.y + 2 * y) + area.x / 8;
            const std::uint8_t* lower = page.Row(area.y + 2 * y + 1) + area.x / 8;
            int x = 0;
            for (; x + 4 <= width; x += 4) {
                const std::uint32_t ink = kPairs[upper[x >> 2]] + kPairs[lower[x >> 2]];
                out[0] = kLevels[ink & 0xFF];
                out[1] = kLevels[(ink >> 8) & 0xFF];
                out[2] = kLevels[(ink >> 16) & 0xFF];
                out[3] = kLevels[ink >> 24];
                out += 4;
            }
            if (x < width) {
                std::uint32_t ink = kPairs[upper[x >> 2]] + kPairs[lower[x >> 2]];
                for (; x < width; ++x, ink >>= 8) {
                    *out++ = kLevels[ink & 0xFF];
                }
            }
        }
        return;
    }
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            *out++ = page.Ink(area.x + x, area.y + y) ? 0 : 255;
        }
    }
}

// The grey copy of an area, as ZXing reads it.
struct GreyArea {
    const std::vector<std::uint8_t>& pixels;
    int width;
    int height;
};

ZXing::Result Read(const GreyArea& grey, ZXing::Binarizer binarizer, bool pure) {
    const auto hints = ZXing::DecodeHints()
                           .setFormats(ZXing::BarcodeFormat::QRCode)
                           .setBinarizer(binarizer)
                           .setIsPure(pure)
                           .setTryRotate(false)
                           .setTryDownscale(false)
                           .setReturnErrors(true);
    return ZXing::ReadBarcode(
        ZXing::ImageView(grey.pixels.data(), grey.width, grey.height, ZXing::ImageFormat::Lum),
        hints);
}

CodeSighting Decoded(const ZXing::Result& result) {
    const auto& bytes = result.bytes();
    return {CodeSighting::Outcome::kDecoded, std::string(bytes.begin(), bytes.end())};
}

CodeSighting Sight(const GreyArea& grey) {
    // Each binarizer misses a few codes that the other reads; the second runs only then.
    CodeSighting sighting;
    for (const auto binarizer :
         {ZXing::Binarizer::FixedThreshold, ZXing::Binarizer::LocalAverage}) {
        const auto result = Read(grey, binarizer, false);
        if (result.format() == ZXing::BarcodeFormat::None) {
            continue;
        }
        if (!result.error()) {
            return Decoded(result);
        }
        sighting.outcome = CodeSighting::Outcome::kDamaged;
    }
    return sighting;
}

// Where in the searched corner the card code most likely stands: of the clusters of printed
// cells that are about square and at least a code's size, the one whose top-left corner lies
// nearest the code's place, with a quiet zone around it. Text and rules nearby form clusters of
// other shapes; speckle forms none.
std::optional<Area> LocateCode(const Bitmap& page, double scale, const Area& corner) {
    const int columns = corner.width / kCell;
    const int rows = corner.height / kCell;
    std::vector<std::uint8_t> printed(static_cast<std::size_t>(columns) * rows, 0);
    std::vector<int> starts;
    for (int top = 0; top + 8 <= rows * kCell; top += 8) {
        ForEachInkedBlock(page, top, 0, columns * kCell / 8, [&](int column, int ink) {
            const int cell = top / kCell * columns + column * 8 / kCell;
            if (ink >= kPrintedBlockInk && printed[cell] == 0) {
                printed[cell] = 1;
                starts.push_back(cell);
            }
        });
    }
    // Neighbouring cells, diagonals included, belong to one cluster.
    const double smallest = 0.7 * kSmallestCodeModules * layout::kCodeModule * scale / kCell;
    std::optional<Area> best;
    double bestDistance = 0;
    std::vector<int> pending;
    for (const int start : starts) {
        if (printed[start] != 1) {
            continue;
        }
        int left = start % columns;
        int right = left;
        int top = start / columns;
        int bottom = top;
        printed[start] = 2;
        pending.assign(1, start);
        while (!pending.empty()) {
            const int cell = pending.back();
            pending.pop_back();
            const int cx = cell % columns;
            const int cy = cell / columns;
            left = std::min(left, cx);
            right = std::max(right, cx);
            top = std::min(top, cy);
            bottom = std::max(bottom, cy);
            for (int y = std::max(0, cy - 1); y <= std::min(rows - 1, cy + 1); ++y) {
                for (int x = std::max(0, cx - 1); x <= std::min(columns - 1, cx + 1); ++x) {
                    if (printed[y * columns + x] == 1) {
                        printed[y * columns + x] = 2;
                        pending.push_back(y * columns + x);
                    }
                }
            }
        }
        const int width = right - left + 1;
        const int height = bottom - top + 1;
        if (width < smallest || height < smallest || width * 4 > height * 5 ||
            height * 4 > width * 5) {
            continue;
        }
        const double distance = std::hypot(left * kCell - layout::kCodeOrigin.x * scale,
                                           top * kCell - layout::kCodeOrigin.y * scale);
        if (!best || distance < bestDistance) {
            const int quiet = static_cast<int>(kQuietModules * layout::kCodeModule * scale);
            const int x0 = std::max(0, left * kCell - quiet) / 8 * 8;
            const int y0 = std::max(0, top * kCell - quiet);
            const int x1 = std::min(corner.width, (right + 1) * kCell + quiet);
            const int y1 = std::min(corner.height, (bottom + 1) * kCell + quiet);
            best = Area{x0, y0, x1 - x0, y1 - y0};
            bestDistance = distance;
        }
    }
    return best;
}

}  // namespace

CodeSighting FindCardCode(const Bitmap& page, double scale, std::vector<std::uint8_t>& scratch) {
    // Halving the corner averages scanner speckle away and leaves a card-code module of 8
    // pixels at 200 dpi still 4 pixels wide; coarse scans keep their full resolution.
    const int factor = scale >= 0.75 ? 2 : 1;
    const Area corner{0, 0,
                      std::min(page.width, static_cast<int>(layout::kCodeRegion.width * scale)),
                      std::min(page.height, static_cast<int>(layout::kCodeRegion.height * scale))};
    // Reading the code's own small area first spares ZXing most of the corner. A code that
    // stands square on the page is sampled straight from its outline, sparing ZXing the search
    // for its finder patterns too. Whatever these do not decode is looked for in the whole
    // corner, which alone tells a damaged code from a missing one.
    if (const auto area = LocateCode(page, scale, corner)) {
        CopyGrey(page, *area, factor, scratch);
        const GreyArea grey{scratch, area->width / factor, area->height / factor};
        if (const auto result = Read(grey, ZXing::Binarizer::FixedThreshold, true);
            result.format() != ZXing::BarcodeFormat::None && !result.error()) {
            return Decoded(result);
        }
        if (auto sighting = Sight(grey); sighting.outcome == CodeSighting::Outcome::kDecoded) {
            return sighting;
        }
    }
    if (corner.width / factor <= 0 || corner.height / factor <= 0) {
        return {};
    }
    CopyGrey(page, corner, factor, scratch);
    return Sight({scratch, corner.width / factor, corner.height / factor});
}

}  // namespace lhdll
