#include "scanner/TiffPages.h"

#include <tiffio.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <memory>
#include <stdexcept>

namespace {

// As the ballot-reading library reads them: far beyond any scanner's page, small enough that a
// forged header cannot exhaust memory.
constexpr uint32_t LargestSide = 20000;

// Keeps libtiff's last error of one file instead of letting it print to stderr.
int keepMessage(TIFF*, void* userData, const char*, const char* format, va_list args) {
    char text[512];
    std::vsnprintf(text, sizeof text, format, args);
    *static_cast<std::string*>(userData) = text;
    return 1;
}

int ignoreWarning(TIFF*, void*, const char*, const char*, va_list) {
    return 1;
}

struct TiffCloser {
    void operator()(TIFF* tiff) const { TIFFClose(tiff); }
};
using TiffFile = std::unique_ptr<TIFF, TiffCloser>;

TiffFile open(const std::string& path, const char* mode, std::string& error) {
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    TIFFOpenOptionsSetErrorHandlerExtR(options, keepMessage, &error);
    TIFFOpenOptionsSetWarningHandlerExtR(options, ignoreWarning, nullptr);
    TiffFile tiff(TIFFOpenExt(path.c_str(), mode, options));
    TIFFOpenOptionsFree(options);
    if (!tiff)
        throw std::runtime_error(path + ": " + (error.empty() ? "cannot open" : error));
    return tiff;
}

[[noreturn]] void fail(const std::string& path, const std::string& error) {
    throw std::runtime_error(path + ": " + (error.empty() ? "cannot read image data" : error));
}

void readResolution(TIFF* tiff, Page& page) {
    float x = 0, y = 0;
    uint16_t unit = RESUNIT_INCH;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_RESOLUTIONUNIT, &unit);
    const double perInch = unit == RESUNIT_CENTIMETER ? 2.54 : 1.0;
    if (TIFFGetField(tiff, TIFFTAG_XRESOLUTION, &x) && x > 0)
        page.xDpi = x * perInch;
    if (TIFFGetField(tiff, TIFFTAG_YRESOLUTION, &y) && y > 0)
        page.yDpi = y * perInch;
}

// Bilevel and 8-bit gray strips are kept as they are; every other layout goes through
// libtiff's RGBA decoder.
Page readPage(TIFF* tiff, const std::string& path, const std::string& error) {
    Page page;
    uint32_t width = 0, height = 0;
    uint16_t bits = 1, samples = 1, photometric = PHOTOMETRIC_MINISWHITE;
    TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &photometric);
    if (width == 0 || height == 0)
        fail(path, "image has no pixels");
    if (width > LargestSide || height > LargestSide)
        fail(path, "image is larger than any sheet");
    page.width = int(width);
    page.height = int(height);
    readResolution(tiff, page);

    const bool gray =
        photometric == PHOTOMETRIC_MINISWHITE || photometric == PHOTOMETRIC_MINISBLACK;
    if (gray && samples == 1 && (bits == 1 || bits == 8) && !TIFFIsTiled(tiff)) {
        page.format = bits == 1 ? Page::Format::Bilevel : Page::Format::Gray;
        const int lineBytes = page.bytesPerLine();
        page.pixels.resize(size_t(lineBytes) * height);
        // A bilevel page stores 1 = black; a gray page 0 = black.
        const bool invert = (bits == 1) == (photometric == PHOTOMETRIC_MINISBLACK);
        for (uint32_t row = 0; row < height; ++row) {
            uint8_t* line = page.pixels.data() + size_t(row) * lineBytes;
            if (TIFFReadScanline(tiff, line, row, 0) < 0)
                fail(path, error);
            if (invert)
                for (int i = 0; i < lineBytes; ++i)
                    line[i] = ~line[i];
        }
        return page;
    }

    std::vector<uint32_t> rgba(size_t(width) * height);
    if (!TIFFReadRGBAImageOriented(tiff, width, height, rgba.data(), ORIENTATION_TOPLEFT, 0))
        fail(path, error);
    page.format = gray ? Page::Format::Gray : Page::Format::Rgb;
    page.pixels.resize(size_t(page.bytesPerLine()) * height);
    uint8_t* out = page.pixels.data();
    for (uint32_t pixel : rgba) {
        *out++ = TIFFGetR(pixel);
        if (!gray) {
            *out++ = TIFFGetG(pixel);
            *out++ = TIFFGetB(pixel);
        }
    }
    return page;
}

}  // namespace

std::vector<Page> readTiffPages(const std::string& path) {
    std::string error;
    TiffFile tiff = open(path, "r", error);
    std::vector<Page> pages;
    do {
        pages.push_back(readPage(tiff.get(), path, error));
    } while (TIFFReadDirectory(tiff.get()));
    if (!error.empty())
        fail(path, error);
    return pages;
}

void writeTiffPage(const std::string& path, const Page& page, bool append) {
    std::string error;
    TiffFile tiff = open(path, append ? "a" : "w", error);
    TIFF* t = tiff.get();
    const bool bilevel = page.format == Page::Format::Bilevel;
    const bool rgb = page.format == Page::Format::Rgb;
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, uint32_t(page.width));
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, uint32_t(page.height));
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, uint16_t(bilevel ? 1 : 8));
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, uint16_t(rgb ? 3 : 1));
    TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC,
                 bilevel ? PHOTOMETRIC_MINISWHITE
                 : rgb   ? PHOTOMETRIC_RGB
                         : PHOTOMETRIC_MINISBLACK);
    TIFFSetField(t, TIFFTAG_COMPRESSION, bilevel ? COMPRESSION_CCITTFAX4 : COMPRESSION_LZW);
    TIFFSetField(t, TIFFTAG_ROWSPERSTRIP,
                 bilevel ? uint32_t(page.height) : TIFFDefaultStripSize(t, 0));
    TIFFSetField(t, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    TIFFSetField(t, TIFFTAG_XRESOLUTION, float(page.xDpi));
    TIFFSetField(t, TIFFTAG_YRESOLUTION, float(page.yDpi));
    TIFFSetField(t, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE);

    const int lineBytes = page.bytesPerLine();
    std::vector<uint8_t> line(lineBytes);  // libtiff may encode in place
    for (int row = 0; row < page.height; ++row) {
        std::copy_n(page.pixels.begin() + size_t(row) * lineBytes, lineBytes, line.begin());
        if (TIFFWriteScanline(t, line.data(), uint32_t(row), 0) < 0)
            throw std::runtime_error(path + ": " + error);
    }
    if (!TIFFWriteDirectory(t))
        throw std::runtime_error(path + ": " + error);
}
