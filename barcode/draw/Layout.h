#pragma once

namespace fernlowe::draw {

// Vertical layout in modules, shared by the bitmap and the SVG picture.
constexpr int kMargin = 10;       // white above and below the symbol
constexpr int kBarHeight = 50;    // normal bars
constexpr int kFigureGap = 1;     // between the normal bars and the figures
constexpr int kFigureHeight = 7;  // height of a figure
constexpr int kLongBarExtra = 5;  // how far long bars reach below the normal ones

}  // namespace fernlowe::draw
