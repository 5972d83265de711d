#include "BubbleGrid.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "InkCount.h"

namespace lhdll {
namespace {

struct Vec {
    double x;
    double y;
};

// A fiducial is the densest fiducial-sized square in its window; speckle cannot make one.
constexpr double kSolid = 0.75;
// How far the fourth fiducial may lie from where the other three put it, in 200 dpi pixels.
constexpr double kAgreement = 8;
// A bubble is read over the central part of its oval, clear of the printed outline, and is
// marked when at least half of that part is inked.
constexpr int kSampleHalfWidth = 12;
constexpr int kSampleHalfHeight = 6;
constexpr double kMarked = 0.5;

int Clamp(int value, int high) {
    return std::clamp(value, 0, high);
}

// The densest square found so far; of equally dense squares, the first in reading order.
struct Densest {
    int ink = -1;
    int x = 0;
    int y = 0;

    void Consider(int squareInk, int squareX, int squareY) {
        if (squareInk > ink ||
            (squareInk == ink && (squareY < y || (squareY == y && squareX < x)))) {
            ink = squareInk;
            x = squareX;
            y = squareY;
        }
    }
};

// Weighs every square of the given side whose top-left pixel lies in [x0, x1) x [y0, y1), at
// most 8 x 8 places: ink per row slides along x, sums over side rows slide along y.
void WeighCell(const Bitmap& page, int side, int x0, int x1, int y0, int y1,
               std::vector<int>& rowInk, Densest& densest) {
    constexpr int kCell = 8;
    const int rows = (y1 - y0) + side - 1;
    rowInk.resize(static_cast<std::size_t>(rows) * kCell);
    for (int r = 0; r < rows; ++r) {
        const int y = y0 + r;
        int ink = InkInRow(page, y, x0, x0 + side);
        rowInk[r * kCell] = ink;
        for (int x = x0 + 1; x < x1; ++x) {
            ink += page.Ink(x + side - 1, y) - page.Ink(x - 1, y);
            rowInk[r * kCell + (x - x0)] = ink;
        }
    }
    for (int dx = 0; dx < x1 - x0; ++dx) {
        int ink = 0;
        for (int r = 0; r < side; ++r) {
            ink += rowInk[r * kCell + dx];
        }
        densest.Consider(ink, x0 + dx, y0);
        for (int y = y0 + 1; y < y1; ++y) {
            const int r = y - y0;
            ink += rowInk[(r + side - 1) * kCell + dx] - rowInk[(r - 1) * kCell + dx];
            densest.Consider(ink, x0 + dx, y);
        }
    }
}

// Summed-area table of the ink of the 8 x 8 blocks, aligned to the page's bytes, that cover a
// window of the page.
class BlockSums {
  public:
    BlockSums(const Bitmap& page, int left, int top, int width, int height)
        : firstX_(left / 8),
          firstY_(top / 8),
          columns_((left + width - 1) / 8 - firstX_ + 1),
          rows_((top + height - 1) / 8 - firstY_ + 1),
          sums_(static_cast<std::size_t>(columns_ + 1) * (rows_ + 1), 0) {
        std::vector<int> ink(static_cast<std::size_t>(columns_));
        for (int by = 0; by < rows_; ++by) {
            std::fill(ink.begin(), ink.end(), 0);
            const int y0 = (firstY_ + by) * 8;
            if (y0 + 8 <= page.height) {
                ForEachInkedBlock(
                    page, y0, firstX_, firstX_ + columns_,
                    [&](int column, int blockInk) { ink[column - firstX_] = blockInk; });
            } else {
                for (int bx = 0; bx < columns_; ++bx) {
                    for (int y = y0; y < page.height; ++y) {
                        ink[bx] += ink_count_tables::kBits[page.Row(y)[firstX_ + bx]];
                    }
                }
            }
            int row = 0;
            for (int bx = 0; bx < columns_; ++bx) {
                row += ink[bx];
                sums_[Index(bx + 1, by + 1)] = sums_[Index(bx + 1, by)] + row;
            }
        }
    }

    int FirstX() const { return firstX_; }
    int FirstY() const { return firstY_; }

    // Ink of the blocks from (bx, by) on, count blocks across and down as far as the window
    // goes; block indexes count from the window's first block.
    int Ink(int bx, int by, int count) const {
        const int bx1 = std::min(bx + count, columns_);
        const int by1 = std::min(by + count, rows_);
        return sums_[Index(bx1, by1)] - sums_[Index(bx, by1)] - sums_[Index(bx1, by)] +
               sums_[Index(bx, by)];
    }

  private:
    std::size_t Index(int bx, int by) const {
        return static_cast<std::size_t>(by) * (columns_ + 1) + bx;
    }

    int firstX_;
    int firstY_;
    int columns_;
    int rows_;
    std::vector<int> sums_;
};

// The centroid of the ink in [x0, x1) x [y0, y1), in pixel centres; the sums count from the
// search window's corner (left, top).
Vec Centroid(const Bitmap& page, layout::Point corner, int x0, int y0, int x1, int y1) {
    long count = 0;
    long sx = 0;
    long sy = 0;
    for (int y = y0; y < y1; ++y) {
        const RowInk ink = InkAndPlaceInRow(page, y, x0, x1);
        count += ink.count;
        sx += ink.xSum - ink.count * corner.x;
        sy += ink.count * (y - corner.y);
    }
    return {corner.x + static_cast<double>(sx) / static_cast<double>(count) + 0.5,
            corner.y + static_cast<double>(sy) / static_cast<double>(count) + 0.5};
}

std::optional<Vec> FindFiducial(const Bitmap& page, double scale, layout::Point place) {
    const int side = std::max(4, static_cast<int>(std::lround(layout::kFiducialSize * scale)));
    const int reach = static_cast<int>(std::lround(layout::kFiducialReach * scale)) + side / 2;
    const int cx = static_cast<int>(std::lround(place.x * scale));
    const int cy = static_cast<int>(std::lround(place.y * scale));
    const int left = Clamp(cx - reach, page.width);
    const int top = Clamp(cy - reach, page.height);
    const int width = Clamp(cx + reach, page.width) - left;
    const int height = Clamp(cy + reach, page.height) - top;
    if (width < side || height < side) {
        return std::nullopt;
    }
    // Squares are weighed in cells of 8 x 8 top-left places, aligned to the page's bytes. The
    // ink of the blocks a cell's squares can reach bounds what any of them holds, so only cells
    // that could beat the densest square found so far are weighed pixel by pixel.
    const BlockSums blocks(page, left, top, width, height);
    const int lastX = left + width - side;  // the last top-left places of a square
    const int lastY = top + height - side;
    const int cellsX = lastX / 8 - blocks.FirstX() + 1;
    const int cellsY = lastY / 8 - blocks.FirstY() + 1;
    const int reachBlocks = (side + 6) / 8 + 1;
    std::vector<int> bounds(static_cast<std::size_t>(cellsX) * cellsY);
    int first = 0;
    for (int cell = 0; cell < cellsX * cellsY; ++cell) {
        bounds[cell] = blocks.Ink(cell % cellsX, cell / cellsX, reachBlocks);
        first = bounds[cell] > bounds[first] ? cell : first;
    }
    std::vector<int> rowInk;
    Densest densest;
    const auto weigh = [&](int cell) {
        const int bx = blocks.FirstX() + cell % cellsX;
        const int by = blocks.FirstY() + cell / cellsX;
        WeighCell(page, side, std::max(left, bx * 8), std::min(lastX + 1, bx * 8 + 8),
                  std::max(top, by * 8), std::min(lastY + 1, by * 8 + 8), rowInk, densest);
    };
    weigh(first);
    for (int cell = 0; cell < cellsX * cellsY; ++cell) {
        if (cell != first && bounds[cell] >= densest.ink) {
            weigh(cell);
        }
    }
    if (densest.ink < kSolid * side * side) {
        return std::nullopt;
    }
    // The centroid of the ink around the densest square places the fiducial to a fraction of
    // a pixel, whichever of several equal squares won.
    const int margin = side / 4;
    return Centroid(page, {left, top}, std::max(left, densest.x - margin),
                    std::max(top, densest.y - margin),
                    std::min(left + width, densest.x + side + margin),
                    std::min(top + height, densest.y + side + margin));
}

double InkShare(const Bitmap& page, Vec centre, int halfWidth, int halfHeight) {
    const int x0 = Clamp(static_cast<int>(std::lround(centre.x)) - halfWidth, page.width);
    const int x1 = Clamp(static_cast<int>(std::lround(centre.x)) + halfWidth, page.width);
    const int y0 = Clamp(static_cast<int>(std::lround(centre.y)) - halfHeight, page.height);
    const int y1 = Clamp(static_cast<int>(std::lround(centre.y)) + halfHeight, page.height);
    if (x1 <= x0 || y1 <= y0) {
        return 0;
    }
    int ink = 0;
    for (int y = y0; y < y1; ++y) {
        ink += InkInRow(page, y, x0, x1);
    }
    return static_cast<double>(ink) / ((x1 - x0) * (y1 - y0));
}

}  // namespace

std::optional<GridReading> ReadBubbleGrid(const Bitmap& page, double scale) {
    Vec found[4];
    for (int i = 0; i < 4; ++i) {
        const auto fiducial = FindFiducial(page, scale, layout::kFiducials[i]);
        if (!fiducial) {
            return std::nullopt;
        }
        found[i] = *fiducial;
    }
    // Top-left, top-right and bottom-left fiducials span the page's affine map; the
    // bottom-right one must land where that map puts it.
    const auto& design = layout::kFiducials;
    const Vec across{(found[1].x - found[0].x) / (design[1].x - design[0].x),
                     (found[1].y - found[0].y) / (design[1].x - design[0].x)};
    const Vec down{(found[2].x - found[0].x) / (design[2].y - design[0].y),
                   (found[2].y - found[0].y) / (design[2].y - design[0].y)};
    const auto map = [&](layout::Point p) {
        const double dx = p.x - design[0].x;
        const double dy = p.y - design[0].y;
        return Vec{found[0].x + dx * across.x + dy * down.x,
                   found[0].y + dx * across.y + dy * down.y};
    };
    const Vec expected = map(design[3]);
    if (std::hypot(expected.x - found[3].x, expected.y - found[3].y) > kAgreement * scale) {
        return std::nullopt;
    }
    GridReading reading;
    reading.skewDegrees = std::atan2(across.y, across.x) * 180 / std::numbers::pi;
    const int halfWidth = std::max(1, static_cast<int>(std::lround(kSampleHalfWidth * scale)));
    const int halfHeight = std::max(1, static_cast<int>(std::lround(kSampleHalfHeight * scale)));
    for (int number = 1; number <= layout::kBubbleCount; ++number) {
        const double share =
            InkShare(page, map(layout::BubbleCentre(number)), halfWidth, halfHeight);
        reading.marked[number - 1] = share >= kMarked;
    }
    return reading;
}

}  // namespace lhdll
