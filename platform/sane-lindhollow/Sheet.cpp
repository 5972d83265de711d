#include "Sheet.h"

#include <tiffio.h>

#include <algorithm>
#include <cstdio>
#include <dirent.h>
#include <fstream>
#include <sys/stat.h>

namespace {

bool isSheetName(const std::string& name) {
    const auto endsWith = [&](const std::string& end) {
        return name.size() > end.size() && name.compare(name.size() - end.size(), end.size(), end) == 0;
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
        std::vector<uint32_t> rgba(size_t(width) * height);
        if (TIFFReadRGBAImageOriented(tiff, width, height, rgba.data(), ORIENTATION_TOPLEFT, 0)) {
            image = GrayImage{int(width), int(height), 200, {}};
            float resolution = 0;
            uint16_t unit = RESUNIT_INCH;
            TIFFGetFieldDefaulted(tiff, TIFFTAG_RESOLUTIONUNIT, &unit);
            if (TIFFGetField(tiff, TIFFTAG_XRESOLUTION, &resolution) && resolution > 0)
                image->dpi = unit == RESUNIT_CENTIMETER ? resolution * 2.54 : resolution;
            image->pixels.reserve(rgba.size());
            for (uint32_t pixel : rgba)
                image->pixels.push_back(
                    uint8_t((TIFFGetR(pixel) * 30 + TIFFGetG(pixel) * 59 + TIFFGetB(pixel) * 11) / 100));
        }
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
