#include "SheetFiles.h"

#include <tiffio.h>

#include <algorithm>
#include <stdexcept>
#include <variant>

#include "SheetRequest.h"
#include "TiffWriter.h"

namespace sheet_files {
namespace {

void WriteOnePage(const std::string& path, int width, int height, int bits, float dpi,
                  std::uint16_t compression, const std::vector<std::uint8_t>& pixels) {
    TIFF* tiff = TIFFOpen(path.c_str(), "w");
    if (tiff == nullptr) {
        throw std::runtime_error("cannot write " + path);
    }
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, static_cast<std::uint32_t>(width));
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, static_cast<std::uint32_t>(height));
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, bits);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, compression);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, 64);
    TIFFSetField(tiff, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    TIFFSetField(tiff, TIFFTAG_XRESOLUTION, dpi);
    TIFFSetField(tiff, TIFFTAG_YRESOLUTION, dpi);
    const int stride = bits == 8 ? width : (width + 7) / 8;
    std::vector<std::uint8_t> row(stride);
    for (int y = 0; y < height; ++y) {
        std::copy_n(pixels.begin() + static_cast<long>(y) * stride, stride, row.begin());
        TIFFWriteScanline(tiff, row.data(), y, 0);
    }
    TIFFClose(tiff);
}

}  // namespace

lhdll::Bitmap Draw(const std::vector<std::string>& args) {
    std::vector<std::string> all = args;
    all.push_back("unused.tif");
    const auto parsed = lhdll::ParseSheetRequest(all);
    if (const auto* error = std::get_if<std::string>(&parsed)) {
        throw std::invalid_argument(*error);
    }
    return lhdll::MakeSheet(std::get<lhdll::SheetRequest>(parsed));
}

void Make(const std::vector<std::string>& args, const std::string& path) {
    if (!lhdll::WriteTiff(path, {Draw(args)})) {
        throw std::runtime_error("cannot write " + path);
    }
}

void WriteGrey(const lhdll::Bitmap& page, const std::string& path) {
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(page.width) * page.height);
    for (int y = 0; y < page.height; ++y) {
        for (int x = 0; x < page.width; ++x) {
            // Ink a dark grey and paper a light one, as a scanner sees pencil on paper.
            pixels[static_cast<std::size_t>(y) * page.width + x] = page.Ink(x, y) ? 40 : 220;
        }
    }
    WriteOnePage(path, page.width, page.height, 8, 200, COMPRESSION_LZW, pixels);
}

void WriteBlackIsZero(const lhdll::Bitmap& page, const std::string& path) {
    std::vector<std::uint8_t> pixels(page.bits.size());
    const std::uint8_t edge = page.width % 8 == 0 ? 0xFF : 0xFF << (8 - page.width % 8);
    for (int y = 0; y < page.height; ++y) {
        for (int i = 0; i < page.stride; ++i) {
            const std::uint8_t white = ~page.Row(y)[i];
            pixels[static_cast<std::size_t>(y) * page.stride + i] =
                i + 1 == page.stride ? white & edge : white;
        }
    }
    WriteOnePage(path, page.width, page.height, 1, 200, COMPRESSION_PACKBITS, pixels);
}

void Write300Dpi(const lhdll::Bitmap& page, const std::string& path) {
    const int width = page.width * 3 / 2;
    const int height = page.height * 3 / 2;
    const int stride = (width + 7) / 8;
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(stride) * height, 0xFF);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (page.Ink(x * 2 / 3, y * 2 / 3)) {
                pixels[static_cast<std::size_t>(y) * stride + x / 8] &= ~(0x80 >> (x % 8));
            }
        }
    }
    WriteOnePage(path, width, height, 1, 300, COMPRESSION_PACKBITS, pixels);
}

}  // namespace sheet_files
