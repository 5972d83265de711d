#include "Symbol.h"

namespace fernlowe::draw {

SymbolBuilder::SymbolBuilder(std::size_t quiet_zone) : quiet_zone_(quiet_zone) {
    symbol_.modules.assign(quiet_zone_, '0');
    symbol_.long_bars.assign(quiet_zone_, '0');
}

void SymbolBuilder::Add(const std::string& modules, bool long_bars, char figure) {
    if (figure != 0) {
        symbol_.figures.push_back({symbol_.modules.size(), modules.size(), figure});
    }
    symbol_.modules += modules;
    symbol_.long_bars += long_bars ? modules : std::string(modules.size(), '0');
}

Symbol SymbolBuilder::Finish() {
    symbol_.modules.append(quiet_zone_, '0');
    symbol_.long_bars.append(quiet_zone_, '0');
    return std::move(symbol_);
}

std::string Elements(const std::vector<int>& widths, bool starts_with_bar) {
    std::string modules;
    bool bar = starts_with_bar;
    for (int width : widths) {
        modules.append(static_cast<std::size_t>(width), bar ? '1' : '0');
        bar = !bar;
    }
    return modules;
}

}  // namespace fernlowe::draw
