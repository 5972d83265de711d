#include "BubbleGrid.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

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
    // Summed-area table of ink over the window, one row and column of zeros in front.
    const int w1 = width + 1;
    std::vector<int> sums(static_cast<std::size_t>(w1) * (height + 1), 0);
    for (int y = 0; y < height; ++y) {
        int row = 0;
        for (int x = 0; x < width; ++x) {
            row += page.Ink(left + x, top + y);
            sums[(y + 1) * w1 + x + 1] = sums[y * w1 + x + 1] + row;
        }
    }
    int best = -1;
    int bestX = 0;
    int bestY = 0;
    for (int y = 0; y + side <= height; ++y) {
        for (int x = 0; x + side <= width; ++x) {
            const int ink = sums[(y + side) * w1 + x + side] - sums[y * w1 + x + side] -
                            sums[(y + side) * w1 + x] + sums[y * w1 + x];
            if (ink > best) {
                best = ink;
                bestX = x;
                bestY = y;
            }
        }
    }
    if (best < kSolid * side * side) {
        return std::nullopt;
    }
    // The centroid of the ink around the best square places the fiducial to a fraction of a
    // pixel, whichever of several equal squares won.
    const int margin = side / 4;
    double sx = 0;
    double sy = 0;
    int count = 0;
    for (int y = std::max(0, bestY - margin); y < std::min(height, bestY + side + margin); ++y) {
        for (int x = std::max(0, bestX - margin); x < std::min(width, bestX + side + margin); ++x) {
            if (page.Ink(left + x, top + y)) {
                sx += x;
                sy += y;
                ++count;
            }
        }
    }
    return Vec{left + sx / count + 0.5, top + sy / count + 0.5};
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
        for (int x = x0; x < x1; ++x) {
            ink += page.Ink(x, y);
        }
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
