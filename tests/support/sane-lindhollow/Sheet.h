#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// One side of a sheet in 8-bit gray, 0 black and 255 white, top row first.
struct GrayImage {
    int width = 0;
    int height = 0;
    double dpi = 200;
    std::vector<std::uint8_t> pixels;

    std::uint8_t at(int x, int y) const { return pixels[size_t(y) * width + x]; }
};

// What goes wrong with a sheet as it is fed, scripted by a file beside it: the sheet's name with
// ".fault" added, holding one word.
enum class Fault {
    None,
    Jam,         // "jam": the sheet stops half way
    DoubleFeed,  // "double-feed": two sheets are pulled in together
    CoverOpen,   // "cover-open": the cover opens as the sheet is to be fed
    DeviceGone,  // "gone": the scanner disappears half way through the sheet
};

// A sheet in the feeder: a TIFF file whose first page is its front and whose second page, where
// there is one, its back (a blank back otherwise).
struct Sheet {
    std::string path;

    // The fault scripted for the sheet; it happens once, so reading it removes the script.
    Fault takeFault() const;
    // The side, 0 front and 1 back, at the sheet's own resolution. Empty when unreadable.
    std::optional<GrayImage> side(int index) const;
    // Out of the feeder into the tray, under a free name.
    void moveTo(const std::string& tray) const;
};

// The next sheet of the feeder folder in name order: files not starting with a dot, ending in
// .tif or .tiff.
std::optional<Sheet> nextSheet(const std::string& feeder);
