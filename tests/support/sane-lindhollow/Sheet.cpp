#include "Sheet.h"

#include <tiffio.h>

#include <dirent.h>
#include <sys/stat.h>
#include <algorithm>
#include <cstdio>
#include <fstream>

namespace {

bool isSheetName(const std::string& name) {
    const auto endsWith = [&](const std::string& end) {
        return name.size() > end.size() &&
               name.compare(name.size() - end.size(), end.size(), end) == 0;
    };
    return !name.empty() && name[0] != '.' && (endsWith(".tif") || endsWith(".tiff"));
}

bool exists(const std::string& path) {
    struct stat info;
    return ::stat(path.c_str(), &info) == 0;
}

std::string baseName(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

int ignoreMessage(TIFF*, void*, const char*, const char*, va_list) {
    return 1;
}

}  // namespace

Fault Sheet::takeFault() const {
    const std::string script = path + ".fault";
    std::ifstream file(script);
    std::string word;
    if (!(file >> word))
        return Fault::None;
    std::remove(script.c_str());
    if (word == "jam")
        return Fault::Jam;
    if (word == "double-feed")
        return Fault::DoubleFeed;
    if (word == "cover-open")
        return Fault::CoverOpen;
    if (word == "gone")
        return Fault::DeviceGone;
    return Fault::None;
}

namespace {

double resolution(TIFF* tiff) {
    float resolution = 0;
    uint16_t unit = RESUNIT_INCH;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_RESOLUTIONUNIT, &unit);
    if (!TIFFGetField(tiff, TIFFTAG_XRESOLUTION, &resolution) || resolution <= 0)
        return 200;
    return unit == RESUNIT_CENTIMETER ? resolution * 2.54 : resolution;
}

// Bilevel and 8-bit gray strips line by line; every other layout through libtiff's RGBA decoder.
bool decode(TIFF* tiff, GrayImage& image) {
    uint16_t bits = 1, samples = 1, photometric = PHOTOMETRIC_MINISWHITE;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &photometric);
    const bool gray =
        photometric == PHOTOMETRIC_MINISWHITE || photometric == PHOTOMETRIC_MINISBLACK;
    image.pixels.resize(size_t(image.width) * image.height);
    if (gray && samples == 1 && (bits == 1 || bits == 8) && !TIFFIsTiled(tiff)) {
        std::vector<uint8_t> line(size_t(TIFFScanlineSize(tiff)));
        const uint8_t black = photometric == PHOTOMETRIC_MINISWHITE ? 1 : 0;
        for (int y = 0; y < image.height; ++y) {
            if (TIFFReadScanline(tiff, line.data(), uint32_t(y), 0) < 0)
                return false;
            uint8_t* out = image.pixels.data() + size_t(y) * image.width;
            for (int x = 0; x < image.width; ++x)
                out[x] = bits == 8 ? (black ? uint8_t(255 - line[size_t(x)]) : line[size_t(x)])
                         : (((line[size_t(x) / 8] >> (7 - x % 8)) & 1) == black) ? 0
                                                                                 : 255;
        }
        return true;
    }
    std::vector<uint32_t> rgba(image.pixels.size());
    if (!TIFFReadRGBAImageOriented(tiff, uint32_t(image.width), uint32_t(image.height), rgba.data(),
                                   ORIENTATION_TOPLEFT, 0))
        return false;
    for (size_t i = 0; i < rgba.size(); ++i)
        image.pixels[i] = uint8_t(
            (TIFFGetR(rgba[i]) * 30 + TIFFGetG(rgba[i]) * 59 + TIFFGetB(rgba[i]) * 11) / 100);
    return true;
}

}  // namespace

std::optional<GrayImage> Sheet::side(int index) const {
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    TIFFOpenOptionsSetErrorHandlerExtR(options, ignoreMessage, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(options, ignoreMessage, nullptr);
    TIFF* tiff = TIFFOpenExt(path.c_str(), "r", options);
    TIFFOpenOptionsFree(options);
    if (!tiff)
        return std::nullopt;
    std::optional<GrayImage> image;
    uint32_t width = 0, height = 0;
    // A sheet is paper: nothing larger than 20 000 pixels a side is one.
    if (TIFFSetDirectory(tiff, tdir_t(index)) && TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width) &&
        TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height) && width > 0 && height > 0 &&
        width <= 20000 && height <= 20000) {
        image = GrayImage{int(width), int(height), resolution(tiff), {}};
        if (!decode(tiff, *image))
            image.reset();
    }
    TIFFClose(tiff);
    return image;
}

void Sheet::moveTo(const std::string& tray) const {
    const std::string name = baseName(path);
    std::string target = tray + "/" + name;
    for (int n = 2; exists(target); ++n)
        target = tray + "/" + std::to_string(n) + "-" + name;
    std::rename(path.c_str(), target.c_str());
}

std::optional<Sheet> nextSheet(const std::string& feeder) {
    DIR* folder = ::opendir(feeder.c_str());
    if (!folder)
        return std::nullopt;
    std::optional<std::string> first;
    while (const dirent* entry = ::readdir(folder)) {
        const std::string name = entry->d_name;
        if (isSheetName(name) && (!first || name < *first))
            first = name;
    }
    ::closedir(folder);
    if (!first)
        return std::nullopt;
    return Sheet{feeder + "/" + *first};
}
