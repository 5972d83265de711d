#include "CardCodeFinder.h"

#include <ZXing/ReadBarcode.h>

#include <algorithm>

#include "SheetLayout.h"

namespace lhdll {

CodeSighting FindCardCode(const Bitmap& page, double scale, std::vector<std::uint8_t>& scratch) {
    // Halving the corner averages scanner speckle away and leaves a card-code module of 8
    // pixels at 200 dpi still 4 pixels wide; coarse scans keep their full resolution.
    const int factor = scale >= 0.75 ? 2 : 1;
    const int width =
        std::min(page.width, static_cast<int>(layout::kCodeRegion.width * scale)) / factor;
    const int height =
        std::min(page.height, static_cast<int>(layout::kCodeRegion.height * scale)) / factor;
    if (width <= 0 || height <= 0) {
        return {};
    }
    scratch.resize(static_cast<std::size_t>(width) * height);
    std::uint8_t* out = scratch.data();
    const int blockPixels = factor * factor;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            int ink = 0;
            for (int dy = 0; dy < factor; ++dy) {
                for (int dx = 0; dx < factor; ++dx) {
                    ink += page.Ink(x * factor + dx, y * factor + dy);
                }
            }
            *out++ = static_cast<std::uint8_t>(255 - 255 * ink / blockPixels);
        }
    }
    // Each binarizer misses a few codes that the other reads; the second runs only then.
    CodeSighting sighting;
    for (const auto binarizer :
         {ZXing::Binarizer::FixedThreshold, ZXing::Binarizer::LocalAverage}) {
        const auto hints = ZXing::DecodeHints()
                               .setFormats(ZXing::BarcodeFormat::QRCode)
                               .setBinarizer(binarizer)
                               .setTryRotate(false)
                               .setTryDownscale(false)
                               .setReturnErrors(true);
        const auto result = ZXing::ReadBarcode(
            ZXing::ImageView(scratch.data(), width, height, ZXing::ImageFormat::Lum), hints);
        if (result.format() == ZXing::BarcodeFormat::None) {
            continue;
        }
        if (!result.error()) {
            const auto& bytes = result.bytes();
            return {CodeSighting::Outcome::kDecoded, std::string(bytes.begin(), bytes.end())};
        }
        sighting.outcome = CodeSighting::Outcome::kDamaged;
    }
    return sighting;
}

}  // namespace lhdll
