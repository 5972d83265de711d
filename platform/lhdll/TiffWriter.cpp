#include "TiffWriter.h"

#include <tiffio.h>

#include <algorithm>

#include "SheetLayout.h"

namespace lhdll {
namespace {

bool WritePage(TIFF* tiff, const Bitmap& page) {
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, static_cast<std::uint32_t>(page.width));
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, static_cast<std::uint32_t>(page.height));
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
    TIFFSetField(tiff, TIFFTAG_FILLORDER, FILLORDER_MSB2LSB);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, static_cast<std::uint32_t>(page.height));
    TIFFSetField(tiff, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    TIFFSetField(tiff, TIFFTAG_XRESOLUTION, static_cast<float>(layout::kDpi));
    TIFFSetField(tiff, TIFFTAG_YRESOLUTION, static_cast<float>(layout::kDpi));
    // Encoders may scribble on the row they are given, so they get a copy.
    std::vector<std::uint8_t> row(page.stride);
    for (int y = 0; y < page.height; ++y) {
        std::copy_n(page.Row(y), page.stride, row.begin());
        if (TIFFWriteScanline(tiff, row.data(), y, 0) < 0) {
            return false;
        }
    }
    return TIFFWriteDirectory(tiff) == 1;
}

}  // namespace

bool WriteTiff(const std::string& path, const std::vector<Bitmap>& pages) {
    TIFF* tiff = TIFFOpen(path.c_str(), "w");
    if (tiff == nullptr) {
        return false;
    }
    bool written = true;
    for (const auto& page : pages) {
        written = written && WritePage(tiff, page);
    }
    TIFFClose(tiff);
    return written;
}

}  // namespace lhdll
