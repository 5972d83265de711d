// Stored images as the monitor shows them: the sheets the scanner writes come back as PNG pixel
// for pixel; broken or forged files are refused with a reason, without decoding their claims.

#include <gtest/gtest.h>
#include <png.h>
#include <tiffio.h>

#include <fstream>
#include <functional>
#include <iterator>

#include "TiffToPng.h"
#include "lhdll/TiffWriter.h"
#include "support/SheetFiles.h"
#include "support/TempFolder.h"

namespace {

std::string Made(const std::function<void(const std::string&)>& write) {
    TempFolder folder;
    write(folder.File("sheet.tif"));
    std::ifstream in(folder.File("sheet.tif"), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Ink of every pixel, row after row, of pages one below the other, narrower ones padded with
// paper: the monitor's picture of a sheet.
std::vector<bool> Ink(const std::vector<lhdll::Bitmap>& pages) {
    int width = 0;
    for (const auto& page : pages) {
        width = std::max(width, page.width);
    }
    std::vector<bool> ink;
    for (const auto& page : pages) {
        for (int y = 0; y < page.height; ++y) {
            for (int x = 0; x < width; ++x) {
                ink.push_back(x < page.width && page.Ink(x, y));
            }
        }
    }
    return ink;
}

// The same of a PNG as libpng decodes it, a dark grey being ink.
std::vector<bool> Ink(const std::string& png) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    png_image_begin_read_from_memory(&image, png.data(), png.size());
    image.format = PNG_FORMAT_GRAY;
    std::vector<std::uint8_t> grey(PNG_IMAGE_SIZE(image));
    png_image_finish_read(&image, nullptr, grey.data(), 0, nullptr);
    std::vector<bool> ink;
    for (const std::uint8_t level : grey) {
        ink.push_back(level < 128);
    }
    return ink;
}

lhdll::Bitmap Ballot() {
    return sheet_files::Draw({"ballot", "--marks", "3,17"});
}

// A back page smaller than the ballot, with one dot of ink.
lhdll::Bitmap Slip() {
    lhdll::Bitmap slip;
    slip.Reset(203, 97);
    slip.Set(200, 90, true);
    return slip;
}

TEST(TiffToPng, ScannedSheetsComeBackPixelForPixel) {
    using Pages = std::vector<lhdll::Bitmap>;
    const struct {
        const char* name;
        void (*write)(const std::string&, const Pages&);
        Pages pages;
        int bitDepth;
    } sheets[] = {
        {"Group 4", [](auto& f, auto& p) { lhdll::WriteTiff(f, p); }, {Ballot()}, 1},
        {"duplex", [](auto& f, auto& p) { lhdll::WriteTiff(f, p); }, {Ballot(), Slip()}, 1},
        {"black is zero",
         [](auto& f, auto& p) { sheet_files::WriteBlackIsZero(p[0], f); },
         {Ballot()},
         1},
        {"grey", [](auto& f, auto& p) { sheet_files::WriteGrey(p[0], f); }, {Ballot()}, 8},
    };
    for (const auto& sheet : sheets) {
        const std::string png =
            TiffToPng(Made([&](const std::string& file) { sheet.write(file, sheet.pages); }));
        EXPECT_EQ(png.at(24), sheet.bitDepth) << sheet.name;  // IHDR's bit depth
        EXPECT_TRUE(Ink(png) == Ink(sheet.pages)) << sheet.name;
    }
}

// A Group 4 page of the size claimed, whose one strip holds `strip` as it is.
std::string Forged(std::uint32_t width, std::uint32_t height, const std::string& strip) {
    return Made([&](const std::string& file) {
        TIFF* tiff = TIFFOpen(file.c_str(), "w");
        TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, width);
        TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, height);
        TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
        TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
        TIFFWriteRawStrip(tiff, 0, const_cast<char*>(strip.data()), tmsize_t(strip.size()));
        TIFFClose(tiff);
    });
}

TEST(TiffToPng, BrokenOrForgedFilesAreRefusedWithTheirReason) {
    const std::string ballot = Made([](const std::string& f) { lhdll::WriteTiff(f, {Ballot()}); });
    const struct {
        const char* name;
        std::string bytes;
        const char* refusal;
    } files[] = {
        {"no TIFF", "GIF89a, no TIFF at all", "not a TIFF image"},
        {"cut before its directory", ballot.substr(0, ballot.size() / 2), "not a TIFF image"},
        {"strip of garbage", Forged(800, 600, std::string(64, '\x01')), "cannot be decoded"},
        {"side beyond any sheet", Forged(60000, 8, "0"),
         "60000 x 8 pixels is larger than any sheet"},
        {"a gigapixel claim", Forged(20000, 20000, "0"), "larger than any sheet"},
    };
    for (const auto& file : files) {
        try {
            TiffToPng(file.bytes);
            ADD_FAILURE() << file.name << " converted";
        } catch (const ImageError& error) {
            EXPECT_NE(std::string(error.what()).find(file.refusal), std::string::npos)
                << file.name << ": " << error.what();
        }
    }
}

}  // namespace
