#include "TiffPages.h"

#include <tiffio.h>

#include <algorithm>
#include <cstdarg>
#include <memory>
#include <vector>

#include "SheetLayout.h"

namespace lhdll {
namespace {

// Far beyond any scanner's page, small enough that a forged header cannot exhaust memory.
constexpr std::uint32_t kMaxSide = 20000;

double Scale(TIFF* tiff, std::uint32_t width) {
    float resolution = 0;
    std::uint16_t unit = RESUNIT_INCH;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_RESOLUTIONUNIT, &unit);
    if (TIFFGetField(tiff, TIFFTAG_XRESOLUTION, &resolution) == 1 && resolution > 0) {
        const double dpi = unit == RESUNIT_CENTIMETER ? resolution * 2.54 : resolution;
        if (unit != RESUNIT_NONE && dpi >= 50 && dpi <= 1200) {
            return dpi / layout::kDpi;
        }
    }
    // No usable resolution: assume the page is as wide as a letter sheet.
    return static_cast<double>(width) / layout::kPageWidth;
}

// 1-bit strips, what scanners write: decoded strip by strip straight into the page, whose rows
// have the same layout as the file's, so that reading costs no more than decoding.
bool DecodeBilevel(TIFF* tiff, Bitmap& page, bool minIsWhite) {
    std::uint32_t rowsPerStrip = 0;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
    const std::uint32_t strips = TIFFNumberOfStrips(tiff);
    if (TIFFScanlineSize(tiff) != page.stride || static_cast<std::uint64_t>(strips) * rowsPerStrip <
                                                     static_cast<std::uint64_t>(page.height)) {
        return false;
    }
    for (std::uint32_t strip = 0; strip < strips; ++strip) {
        const std::uint64_t top = static_cast<std::uint64_t>(strip) * rowsPerStrip;
        if (top >= static_cast<std::uint64_t>(page.height)) {
            break;
        }
        const int rows = static_cast<int>(
            std::min<std::uint64_t>(rowsPerStrip, static_cast<std::uint64_t>(page.height) - top));
        const tmsize_t size = static_cast<tmsize_t>(rows) * page.stride;
        if (TIFFReadEncodedStrip(tiff, strip, page.Row(static_cast<int>(top)), size) != size) {
            return false;
        }
    }
    if (!minIsWhite) {
        for (auto& byte : page.bits) {
            byte = static_cast<std::uint8_t>(~byte);
        }
    }
    // The bits past the right edge are no pixels; decoders leave them as they find them.
    const std::uint8_t lastMask = page.width % 8 == 0 ? 0xFF : 0xFF << (8 - page.width % 8);
    for (int y = 0; y < page.height; ++y) {
        page.Row(y)[page.stride - 1] &= lastMask;
    }
    return true;
}

// 8-bit grey strips, decoded row by row.
bool DecodeGrey(TIFF* tiff, Bitmap& page, bool minIsWhite) {
    std::fill(page.bits.begin(), page.bits.end(), 0);
    std::vector<std::uint8_t> row(TIFFScanlineSize(tiff));
    for (int y = 0; y < page.height; ++y) {
        if (TIFFReadScanline(tiff, row.data(), y, 0) < 0) {
            return false;
        }
        std::uint8_t* out = page.Row(y);
        for (int x = 0; x < page.width; ++x) {
            const bool ink = minIsWhite ? row[x] >= 128 : row[x] < 128;
            out[x >> 3] |= static_cast<std::uint8_t>(ink << (7 - (x & 7)));
        }
    }
    return true;
}

// Anything else libtiff can read (colour, palettes, tiles) goes through its RGBA reader.
bool DecodeAny(TIFF* tiff, Bitmap& page) {
    std::fill(page.bits.begin(), page.bits.end(), 0);
    std::vector<std::uint32_t> raster(static_cast<std::size_t>(page.width) * page.height);
    if (TIFFReadRGBAImageOriented(tiff, page.width, page.height, raster.data(), ORIENTATION_TOPLEFT,
                                  0) != 1) {
        return false;
    }
    const std::uint32_t* pixel = raster.data();
    for (int y = 0; y < page.height; ++y) {
        for (int x = 0; x < page.width; ++x, ++pixel) {
            const unsigned luminance =
                (TIFFGetR(*pixel) * 299 + TIFFGetG(*pixel) * 587 + TIFFGetB(*pixel) * 114) / 1000;
            page.Set(x, y, luminance < 128);
        }
    }
    return true;
}

}  // namespace

TiffPages::TiffPages(const char* path) {
    const std::unique_ptr<TIFFOpenOptions, decltype(&TIFFOpenOptionsFree)> options(
        TIFFOpenOptionsAlloc(), TIFFOpenOptionsFree);
    TIFFOpenOptionsSetErrorHandlerExtR(options.get(), Complain, this);
    TIFFOpenOptionsSetWarningHandlerExtR(options.get(), Complain, this);
    // Read, not mapped: unmapping each file costs every core running the host's threads a TLB
    // flush, more than the copy that reading makes.
    tiff_ = TIFFOpenExt(path, "rm", options.get());
}

// Keeps libtiff's complaints from the host's terminal; those made while decoding image data
// mean the image cannot be trusted.
int TiffPages::Complain(TIFF*, void* pages, const char*, const char*, va_list) {
    auto* self = static_cast<TiffPages*>(pages);
    if (self->decoding_) {
        ++self->decodingComplaints_;
    }
    return 1;
}

TiffPages::~TiffPages() {
    if (tiff_ != nullptr) {
        TIFFClose(tiff_);
    }
}

bool TiffPages::Decode(Bitmap& page, double& scale) {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint16_t bits = 1;
    std::uint16_t samples = 1;
    std::uint16_t photometric = PHOTOMETRIC_MINISWHITE;
    if (TIFFGetField(tiff_, TIFFTAG_IMAGEWIDTH, &width) != 1 ||
        TIFFGetField(tiff_, TIFFTAG_IMAGELENGTH, &height) != 1 || width == 0 || height == 0 ||
        width > kMaxSide || height > kMaxSide) {
        return false;
    }
    TIFFGetFieldDefaulted(tiff_, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tiff_, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetField(tiff_, TIFFTAG_PHOTOMETRIC, &photometric);
    page.Resize(static_cast<int>(width), static_cast<int>(height));
    scale = Scale(tiff_, width);
    const bool grey =
        !TIFFIsTiled(tiff_) && samples == 1 &&
        (photometric == PHOTOMETRIC_MINISWHITE || photometric == PHOTOMETRIC_MINISBLACK);
    const bool minIsWhite = photometric == PHOTOMETRIC_MINISWHITE;
    decoding_ = true;
    decodingComplaints_ = 0;
    const bool decoded = grey && bits == 1   ? DecodeBilevel(tiff_, page, minIsWhite)
                         : grey && bits == 8 ? DecodeGrey(tiff_, page, minIsWhite)
                                             : DecodeAny(tiff_, page);
    decoding_ = false;
    return decoded && decodingComplaints_ == 0;
}

bool TiffPages::Next() {
    return TIFFReadDirectory(tiff_) == 1;
}

}  // namespace lhdll
