#include "SheetMaker.h"

#include <ZXing/BitMatrix.h>
#include <ZXing/MultiFormatWriter.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>

#include "BallotPrint.h"

namespace lhdll {
namespace {

// The writer's highest error-correction level: a QR code can lose 30% to dirt and still read.
constexpr int kQrEccLevel = 8;

bool InsideOval(int dx, int dy, double halfWidth, double halfHeight) {
    const double u = (dx + 0.5) / halfWidth;
    const double v = (dy + 0.5) / halfHeight;
    return u * u + v * v <= 1;
}

void DrawBubble(Bitmap& page, layout::Point centre, bool marked) {
    const double a = layout::kBubbleWidth / 2.0;
    const double b = layout::kBubbleHeight / 2.0;
    const double t = layout::kBubbleOutline;
    for (int dy = -layout::kBubbleHeight / 2; dy < layout::kBubbleHeight / 2; ++dy) {
        for (int dx = -layout::kBubbleWidth / 2; dx < layout::kBubbleWidth / 2; ++dx) {
            const bool outline = InsideOval(dx, dy, a, b) && !InsideOval(dx, dy, a - t, b - t);
            // A voter's pencil fills most of the oval, not quite to its edge.
            const bool filled = marked && InsideOval(dx, dy, a - 2, b - 2);
            if (outline || filled) {
                page.Set(centre.x + dx, centre.y + dy, true);
            }
        }
    }
}

void DrawCardCode(Bitmap& page, const std::string& text) {
    const ZXing::BitMatrix modules = ZXing::MultiFormatWriter(ZXing::BarcodeFormat::QRCode)
                                         .setEccLevel(kQrEccLevel)
                                         .setMargin(0)
                                         .encode(text, 0, 0);
    for (int my = 0; my < modules.height(); ++my) {
        for (int mx = 0; mx < modules.width(); ++mx) {
            if (modules.get(mx, my)) {
                FillRect(page, {layout::kCodeOrigin.x + mx * layout::kCodeModule,
                                layout::kCodeOrigin.y + my * layout::kCodeModule,
                                layout::kCodeModule, layout::kCodeModule});
            }
        }
    }
}

}  // namespace

void FillRect(Bitmap& page, layout::Rect r) {
    for (int y = std::max(0, r.y); y < std::min(page.height, r.y + r.height); ++y) {
        for (int x = std::max(0, r.x); x < std::min(page.width, r.x + r.width); ++x) {
            page.Set(x, y, true);
        }
    }
}

Bitmap DrawSheet(const SheetDrawing& drawing) {
    Bitmap page;
    page.Reset(layout::kPageWidth, layout::kPageHeight);
    if (drawing.printSeed) {
        DrawBallotPrint(page, *drawing.printSeed);
    }
    if (drawing.cardCode) {
        DrawCardCode(page, *drawing.cardCode);
    }
    if (drawing.bubbleGrid) {
        const int half = layout::kFiducialSize / 2;
        for (const auto& f : layout::kFiducials) {
            FillRect(page, {f.x - half, f.y - half, layout::kFiducialSize, layout::kFiducialSize});
        }
        for (int number = 1; number <= layout::kBubbleCount; ++number) {
            const bool marked = std::find(drawing.marks.begin(), drawing.marks.end(), number) !=
                                drawing.marks.end();
            DrawBubble(page, layout::BubbleCentre(number), marked);
        }
    }
    for (const auto& blot : drawing.blots) {
        FillRect(page, blot);
    }
    return page;
}

Bitmap Skew(const Bitmap& page, double degrees) {
    Bitmap turned;
    turned.Reset(page.width, page.height);
    const double radians = degrees * std::numbers::pi / 180;
    const double c = std::cos(radians);
    const double s = std::sin(radians);
    const double cx = page.width / 2.0;
    const double cy = page.height / 2.0;
    for (int y = 0; y < page.height; ++y) {
        for (int x = 0; x < page.width; ++x) {
            // Each output pixel takes the source pixel that the turn brings onto it.
            const double dx = x + 0.5 - cx;
            const double dy = y + 0.5 - cy;
            const int sx = static_cast<int>(std::floor(cx + dx * c + dy * s));
            const int sy = static_cast<int>(std::floor(cy - dx * s + dy * c));
            if (sx >= 0 && sx < page.width && sy >= 0 && sy < page.height && page.Ink(sx, sy)) {
                turned.Set(x, y, true);
            }
        }
    }
    return turned;
}

void AddSpeckle(Bitmap& page, std::uint32_t seed) {
    std::mt19937 random(seed);
    const long pixels = static_cast<long>(page.width) * page.height;
    std::uniform_int_distribution<int> column(0, page.width - 1);
    std::uniform_int_distribution<int> row(0, page.height - 1);
    for (long i = 0; i < pixels / 200; ++i) {
        const int x = column(random);
        const int y = row(random);
        page.Set(x, y, !page.Ink(x, y));
    }
    // Dust: specks of 2 x 2 pixels.
    for (long i = 0; i < pixels / 5000; ++i) {
        const int x = column(random);
        const int y = row(random);
        FillRect(page, {x, y, 2, 2});
    }
}

}  // namespace lhdll
