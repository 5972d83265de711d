#include <sstream>

#include "Layout.h"
#include "Picture.h"

namespace fernlowe::draw {

std::string Svg(const Symbol& symbol) {
    const bool with_figures = !symbol.figures.empty();
    const int longer = with_figures ? kBarHeight + kLongBarExtra : kBarHeight;
    const int content = with_figures ? kBarHeight + kFigureGap + kFigureHeight : kBarHeight;
    const std::size_t width = symbol.modules.size();
    const int height = 2 * kMargin + content;

    std::ostringstream svg;
    svg << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << width * 3 << "\" height=\""
        << height * 3 << "\" viewBox=\"0 0 " << width << ' ' << height << "\">\n"
        << "<rect width=\"" << width << "\" height=\"" << height << "\" fill=\"#fff\"/>\n";
    // One rectangle per run of bar modules of the same height.
    for (std::size_t m = 0; m < width;) {
        if (symbol.modules[m] != '1') {
            ++m;
            continue;
        }
        std::size_t end = m;
        while (end < width && symbol.modules[end] == '1' &&
               symbol.long_bars[end] == symbol.long_bars[m]) {
            ++end;
        }
        svg << "<rect x=\"" << m << "\" y=\"" << kMargin << "\" width=\"" << end - m
            << "\" height=\"" << (symbol.long_bars[m] == '1' ? longer : kBarHeight) << "\"/>\n";
        m = end;
    }
    for (const Symbol::Figure& figure : symbol.figures) {
        svg << "<text x=\"" << static_cast<double>(figure.start) + figure.width / 2.0 << "\" y=\""
            << kMargin + kBarHeight + kFigureGap + kFigureHeight
            << "\" font-family=\"monospace\" font-size=\"9\" text-anchor=\"middle\">"
            << figure.digit << "</text>\n";
    }
    svg << "</svg>\n";
    return svg.str();
}

}  // namespace fernlowe::draw
