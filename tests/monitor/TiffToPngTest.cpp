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

std::string Bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Grey levels a row after another, as the PNG is compared.
struct Grey {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> levels;
};

Grey Levels(const lhdll::Bitmap& page, std::uint8_t ink, std::uint8_t paper) {
    Grey grey{page.width, page.height, {}};
    for (int y = 0; y < page.height; ++y) {
        for (int x = 0; x < page.width; ++x) {
            grey.levels.push_back(page.Ink(x, y) ? ink : paper);
        }
    }
    return grey;
}

// Pages one below the other, the narrower padded with white, as the monitor shows a sheet.
Grey Stacked(const std::vector<Grey>& pages) {
    Grey sheet;
    for (const Grey& page : pages) {
        sheet.width = std::max(sheet.width, page.width);
    }
    for (const Grey& page : pages) {
        for (int y = 0; y < page.height; ++y) {
            const auto row = page.levels.begin() + std::ptrdiff_t(y) * page.width;
            sheet.levels.insert(sheet.levels.end(), row, row + page.width);
            sheet.levels.insert(sheet.levels.end(), sheet.width - page.width, 255);
        }
        sheet.height += page.height;
    }
    return sheet;
}

// The PNG decoded by libpng; a colour pixel whose channels differ counts as no grey level.
Grey Decoded(const std::string& png, int& bitDepth) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    EXPECT_EQ(png_image_begin_read_from_memory(&image, png.data(), png.size()), 1);
    bitDepth = static_cast<unsigned char>(png.at(24));  // IHDR's bit depth
    image.format = PNG_FORMAT_RGB;
    std::vector<std::uint8_t> rgb(PNG_IMAGE_SIZE(image));
    EXPECT_EQ(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr), 1);
    Grey grey{int(image.width), int(image.height), {}};
    for (std::size_t i = 0; i + 2 < rgb.size(); i += 3) {
        const bool same = rgb[i] == rgb[i + 1] && rgb[i] == rgb[i + 2];
        grey.levels.push_back(same ? rgb[i] : 1);
    }
    return grey;
}

lhdll::Bitmap Ballot(const std::string& marks) {
    return sheet_files::Draw({"ballot", "--marks", marks});
}

// A page narrower and shorter than a ballot, with a frame of ink.
lhdll::Bitmap Slip() {
    lhdll::Bitmap slip;
    slip.Reset(203, 97);
    for (int x = 0; x < slip.width; ++x) {
        slip.Set(x, 0, true);
        slip.Set(x, slip.height - 1, true);
    }
    return slip;
}

struct Sheet {
    const char* name;
    std::function<void(const std::string&)> write;
    std::function<Grey()> expected;
    int bitDepth;
};

const Sheet kSheets[] = {
    {"Group4Ballot",
     [](const std::string& file) {
         sheet_files::Make({"ballot", "--marks", "3,17"}, file);
     },
     [] { return Levels(Ballot("3,17"), 0, 255); }, 1},
    {"BlackIsZeroPackBits",
     [](const std::string& file) { sheet_files::WriteBlackIsZero(Ballot("8"), file); },
     [] { return Levels(Ballot("8"), 0, 255); }, 1},
    {"FrontAndBackOfDifferentSizes",
     [](const std::string& file) {
         ASSERT_TRUE(lhdll::WriteTiff(file, {Ballot("5"), Slip()}));
     },
     [] {
         return Stacked({Levels(Ballot("5"), 0, 255), Levels(Slip(), 0, 255)});
     },
     1},
    {"GreyLzw", [](const std::string& file) { sheet_files::WriteGrey(Ballot("40"), file); },
     [] { return Levels(Ballot("40"), 40, 220); }, 8},
};

void PrintTo(const Sheet& sheet, std::ostream* out) {
    *out << sheet.name;
}

class ScannedSheet : public testing::TestWithParam<Sheet> {};

TEST_P(ScannedSheet, ComesBackPixelForPixel) {
    TempFolder folder;
    const std::string file = folder.File("sheet.tif");
    GetParam().write(file);
    int bitDepth = 0;
    const Grey shown = Decoded(TiffToPng(Bytes(file)), bitDepth);
    const Grey expected = GetParam().expected();
    ASSERT_EQ(std::pair(shown.width, shown.height), std::pair(expected.width, expected.height));
    std::size_t differing = 0;
    for (std::size_t i = 0; i < expected.levels.size(); ++i) {
        differing += shown.levels[i] != expected.levels[i];
    }
    EXPECT_EQ(differing, 0u);
    EXPECT_EQ(bitDepth, GetParam().bitDepth);
}

INSTANTIATE_TEST_SUITE_P(Sheets, ScannedSheet, testing::ValuesIn(kSheets),
                         [](const auto& info) { return std::string(info.param.name); });

// A one-page little-endian TIFF made by hand, so that its header may claim what no writer would.
std::string HandMade(std::uint32_t width, std::uint32_t height, std::uint16_t compression,
                     std::uint32_t claimedBytes, const std::string& data) {
    const std::pair<std::uint16_t, std::uint32_t> entries[] = {
        {TIFFTAG_IMAGEWIDTH, width},
        {TIFFTAG_IMAGELENGTH, height},
        {TIFFTAG_BITSPERSAMPLE, 1},
        {TIFFTAG_COMPRESSION, compression},
        {TIFFTAG_PHOTOMETRIC, 0},
        {TIFFTAG_STRIPOFFSETS, 8 + 2 + 9 * 12 + 4},
        {TIFFTAG_SAMPLESPERPIXEL, 1},
        {TIFFTAG_ROWSPERSTRIP, height},
        {TIFFTAG_STRIPBYTECOUNTS, claimedBytes}};
    std::string tiff("II*\0", 4);
    const auto put = [&](std::uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) {
            tiff.push_back(static_cast<char>(value >> (8 * i)));
        }
    };
    put(8, 4);
    put(9, 2);
    for (const auto& [tag, value] : entries) {
        put(tag, 2);
        put(TIFF_LONG, 2);
        put(1, 4);
        put(value, 4);
    }
    put(0, 4);
    return tiff + data;
}

std::string FirstHalfOfABallot() {
    TempFolder folder;
    sheet_files::Make({"ballot", "--marks", "2"}, folder.File("b.tif"));
    const std::string whole = Bytes(folder.File("b.tif"));
    return whole.substr(0, whole.size() / 2);
}

const struct Broken {
    const char* name;
    std::function<std::string()> bytes;
    const char* refusal;
} kBroken[] = {
    {"NoTiff", [] { return std::string("GIF89a, no TIFF at all"); }, "not a TIFF image"},
    {"Empty", [] { return std::string(); }, "not a TIFF image"},
    {"DirectoryCutOff", FirstHalfOfABallot, "not a TIFF image"},
    {"StripCutShort", [] { return HandMade(800, 600, COMPRESSION_NONE, 60000, "ink"); },
     "cannot be decoded"},
    {"Group4Garbage",
     [] { return HandMade(800, 600, COMPRESSION_CCITTFAX4, 64, std::string(64, '\x01')); },
     "cannot be decoded"},
    {"SideBeyondAnySheet", [] { return HandMade(60000, 8, COMPRESSION_CCITTFAX4, 4, "0000"); },
     "60000 x 8 pixels is larger than any sheet"},
    {"GigapixelClaim", [] { return HandMade(20000, 20000, COMPRESSION_CCITTFAX4, 4, "0000"); },
     "larger than any sheet"},
};

void PrintTo(const Broken& broken, std::ostream* out) {
    *out << broken.name;
}

class BrokenImage : public testing::TestWithParam<Broken> {};

TEST_P(BrokenImage, IsRefusedWithItsReason) {
    try {
        TiffToPng(GetParam().bytes());
        ADD_FAILURE() << "converted";
    } catch (const ImageError& error) {
        EXPECT_NE(std::string(error.what()).find(GetParam().refusal), std::string::npos)
            << error.what();
    }
}

INSTANTIATE_TEST_SUITE_P(Files, BrokenImage, testing::ValuesIn(kBroken),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
