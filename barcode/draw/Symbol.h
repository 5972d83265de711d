#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace fernlowe::draw {

// A linear symbol as the barcode font prints a result, quiet zones included, measured in
// modules (narrowest bar widths).
struct Symbol {
    struct Figure {
        std::size_t start;  // first module under which the figure stands
        std::size_t width;  // modules it is centred across
        char digit;
    };
    std::string modules;          // '1' bar, '0' space
    std::string long_bars;        // '1' where a bar reaches down into the figure row
    std::vector<Figure> figures;  // human-readable figures in a row below the bars
};

// Appends glyphs left to right and frames them with quiet zones.
class SymbolBuilder {
  public:
    explicit SymbolBuilder(std::size_t quiet_zone);
    // A glyph: its modules, whether its bars are long, and the figure printed under it.
    void Add(const std::string& modules, bool long_bars = false, char figure = 0);
    Symbol Finish();

  private:
    std::size_t quiet_zone_;
    Symbol symbol_;
};

// Module string of alternating bars and spaces, starting with a bar, from element widths.
std::string Elements(const std::vector<int>& widths, bool starts_with_bar = true);

// Each throws std::invalid_argument naming a character the font cannot print.
Symbol DrawCode39(const std::string& codes, const std::string& delim);
Symbol DrawInterleaved2of5(const std::string& codes);
Symbol DrawCode128(const std::string& codes);
Symbol DrawUpcEan(const std::string& codes);

}  // namespace fernlowe::draw
