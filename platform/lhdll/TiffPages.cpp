#include "TiffPages.h"

#include <tiffio.h>

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

// 1-bit and 8-bit grey strips: the formats scanners write, decoded row by row.
bool DecodeGrey(TIFF* tiff, Bitmap& page, std::uint16_t bits, bool minIsWhite) {
    std::vector<std::uint8_t> row(TIFFScanlineSize(tiff));
    const int bytes = page.stride;
    const std::uint8_t lastMask = page.width % 8 == 0 ? 0xFF : 0xFF << (8 - page.width % 8);
    for (int y = 0; y < page.height; ++y) {
        if (TIFFReadScanline(tiff, row.data(), y, 0) < 0) {
            return false;
        }
        std::uint8_t* out = page.Row(y);
        if (bits == 1) {
            for (int i = 0; i < bytes; ++i) {
                out[i] = minIsWhite ? row[i] : static_cast<std::uint8_t>(~row[i]);
            }
            out[bytes - 1] &= lastMask;
        } else {
            for (int x = 0; x < page.width; ++x) {
                const bool ink = minIsWhite ? row[x] >= 128 : row[x] < 128;
                out[x >> 3] |= static_cast<std::uint8_t>(ink << (7 - (x & 7)));
            }
        }
    }
    return true;
}

// Anything else libtiff can read (colour, palettes, tiles) goes through its RGBA reader.
bool DecodeAny(TIFF* tiff, Bitmap& page) {
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
    tiff_ = TIFFOpenExt(path, "r", options.get());
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
    page.Reset(static_cast<int>(width), static_cast<int>(height));
    scale = Scale(tiff_, width);
    const bool grey =
        photometric == PHOTOMETRIC_MINISWHITE || photometric == PHOTOMETRIC_MINISBLACK;
    decoding_ = true;
    decodingComplaints_ = 0;
    const bool decoded = !TIFFIsTiled(tiff_) && samples == 1 && (bits == 1 || bits == 8) && grey
                             ? DecodeGrey(tiff_, page, bits, photometric == PHOTOMETRIC_MINISWHITE)
                             : DecodeAny(tiff_, page);
    decoding_ = false;
    return decoded && decodingComplaints_ == 0;
}

bool TiffPages::Next() {
    return TIFFReadDirectory(tiff_) == 1;
}

}  // namespace lhdll
